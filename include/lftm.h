/* lftm: tone mapping of high-dynamic-range photographs.
 * SPDX-License-Identifier: BSD-3-Clause
 */

/**
 * @file lftm.h
 * @brief The exported interface of liblftm: version, records, result codes and functions.
 *
 * Every function returns a signed 32-bit result: 1 or a non-negative count on success,
 * a negative code on failure. Records and buffers belong to the caller; a function uses them
 * during the call only and keeps no pointer to them. Nothing runs between calls, and the
 * library holds no state of its own, so any function may be called from any host thread.
 * Worker threads are created inside a call, one per horizontal tile (at most 32), and are
 * joined before the call returns. A worker that cannot start is replaced by the calling
 * thread, which does its tile after the others are joined: the result is the same.
 *
 * Diagnostic lines are printed to standard output (a few to standard error) by most calls.
 *
 * Image sizes. Widths and heights are 32-bit, and so are pixel counts and plane indices:
 * every function takes at most 2^31 - 1 pixels (width x height). The Texture Booster (tm_dim,
 * calc_tm1, calc_tm2, calc_tm3, tonemap) also needs its pyramid totals (PyramidDims.total and
 * total2) to stay within 2^31 - 1 floats, which holds up to about 1.6 gigapixels (49000 x
 * 32700; a 42000 x 24540 panorama is 1.03). Byte counts, sample offsets and scratch-file
 * positions are 64-bit, so buffers and files of many GB are fine. The previews keep their
 * own limit of 2^31 - 1 samples a buffer (see each). tonemap and tms estimate their memory
 * (and, in disk mode, scratch space) before they allocate anything and refuse a run that
 * cannot fit; JPEG output holds at most 65500 pixels a side, TIFF output past 4 GB is BigTIFF.
 */
#ifndef LFTM_H_
#define LFTM_H_

#include <stdint.h>

/** Marks the exported functions (default visibility; the library hides everything else). */
#if defined(__GNUC__) || defined(__clang__)
#define LFTM_EXPORT __attribute__((visibility("default")))
#else
#define LFTM_EXPORT
#endif

/** @defgroup version Version
 *  The version of this header. lftm_version() gives the version of the library that is loaded;
 *  a host compares the two to find a library older than the header it was built with.
 *  @{ */

/** Major version: changes when a function, record or result code changes incompatibly. */
#define LFTM_VERSION_MAJOR 0
/** Minor version: changes when something is added (a function, a code, a setting). */
#define LFTM_VERSION_MINOR 5
/** Patch version: changes for fixes that keep the interface. */
#define LFTM_VERSION_PATCH 0
/** The version as one number: MAJOR x 1000000 + MINOR x 1000 + PATCH (5000 for 0.5.0). */
#define LFTM_VERSION \
  (LFTM_VERSION_MAJOR * 1000000 + LFTM_VERSION_MINOR * 1000 + LFTM_VERSION_PATCH)

/** @} */

#ifdef __cplusplus
extern "C" {
#endif

/** @defgroup records Records shared with the host
 *  @{ */

/** Method codes: how the slots of a TmParam block are read. */
enum {
  LFTM_METHOD_TEXTURE_BOOSTER = 1, /**< gradient-domain method, calc_tm1/2/3 and tonemap */
  LFTM_METHOD_RANGE_SQUEEZER = 2,  /**< per-pixel response curve, tm_simple and tms */
  LFTM_METHOD_BLEND_TUNE = 10,     /**< exposure blending; settings only */
  LFTM_METHOD_BLEND_STRONG = 11    /**< exposure blending; settings only */
};

/** Input kinds of the file-to-file drivers. */
enum {
  LFTM_EXT_HDR = 100,        /**< Radiance RGBE (.hdr) */
  LFTM_EXT_EXR = 101,        /**< OpenEXR (.exr) */
  LFTM_EXT_TIF_GAMMA = 200,  /**< TIFF holding gamma-encoded samples */
  LFTM_EXT_TIF_LINEAR = 201  /**< TIFF holding linear samples */
};

/** Input layouts of the stages (docType). */
enum {
  LFTM_DOC_RGBE = 0,   /**< RGBE planar bytes: per row, red, green, blue and exponent planes */
  LFTM_DOC_U16 = 1,    /**< interleaved 16-bit samples, decoded through lut */
  LFTM_DOC_U8 = 2,     /**< interleaved 8-bit samples, decoded through lut */
  LFTM_DOC_FLOAT = 10  /**< interleaved 32-bit floats (stage 3 only) */
};

/** @} */

/** @defgroup codes Result codes
 *
 *  A negative result is one of these codes. Some numbers mean different things in different
 *  functions; they have one name per meaning. The drivers (tonemap, tms) also pass on the
 *  codes of the stages they run and of the writer. lftm_strerror() gives a sentence for each.
 *
 *  | Code | Name | Returned by | What the caller should do |
 *  |---|---|---|---|
 *  | **General** ||||
 *  | -1 | LFTM_ERR_FILE | every function that can fail | an argument is unusable (null record or path, size, stride, type, window, bits other than 8 or 16), a file cannot be opened, or no temporary directory exists: fix the call, the path or $TMPDIR |
 *  | -2 | LFTM_ERR_IO | tonemap, tms, calc_tm1, calc_tm2, calc_tm3, write_xmp, parse_xmp | a short read or write (scratch or input file), a TIFF the reader cannot deliver as 16-bit samples; calc_tm2: a multigrid depth below 1; write_xmp: a method of 0 or less or above 11, a null block, or a NaN or infinite value (no file touched); parse_xmp: a line that cannot be read back whole. Check the free space, the input file and the arguments |
 *  | -3 | LFTM_ERR_LOG_TYPE | get_log_lum | type outside 0..2: pass 0, 1 or 2 |
 *  | -3 | LFTM_ERR_XMP_WRITE | write_xmp | the text could not be written, flushed or composed (disk full, no memory); the file may be incomplete: write it again |
 *  | -4 | LFTM_ERR_NO_MEMORY | most functions | memory could not be had, or (tonemap, tms) the run's estimate (printed) passes the memory available now: free memory, use disk mode (tonemap) or a smaller image |
 *  | -5 | LFTM_ERR_NOT_HALVING | extract_base_preview | the output size is not the image halved a whole number of times: use extract_qv or that size |
 *  | -5 | LFTM_ERR_XMP_METHOD | parse_xmp, lftm_load_settings | the sidecar holds another method: ask with method -1 (lftm_load_settings: 0) first |
 *  | -10 | LFTM_ERR_XMP_NO_NAMESPACE | parse_xmp, lftm_load_settings | not a settings sidecar (no "xmlns:lftm=", or empty): keep the defaults |
 *  | **Settings sidecars of the host interface** (lftm_host.h) ||||
 *  | -60 | LFTM_ERR_SETTING_VALUE | lftm_load_settings, lftm_save_settings | a setting's value cannot be read or is NaN or infinite: correct it in the sidecar (the message names it) or in the block |
 *  | -61 | LFTM_ERR_NOT_SIDECAR | lftm_save_settings | the file exists and is not a settings sidecar; nothing was touched: choose another name, or pass LFTM_SAVE_OVERWRITE |
 *  | **Texture Booster stages** ||||
 *  | -20 | LFTM_ERR_SOLVER_SCRATCH | calc_tm2, tonemap | disk mode: a solver scratch file cannot be opened, positioned, read or written: check the free space in the temporary directory |
 *  | -101 | LFTM_ERR_NEGATIVE_LUM | calc_tm3, tonemap | the stage-2 luminance plane holds a negative value (nothing written): try other settings |
 *  | -102 | LFTM_ERR_EMPTY_LUM | calc_tm3, tonemap | the luminance plane is empty (0 pixels, or every value NaN): check the image size and stages 1 and 2 |
 *  | **Drivers** ||||
 *  | -11 | LFTM_ERR_DISK_TIFF | tonemap | disk mode with TIFF input: run in memory mode |
 *  | -12 | LFTM_ERR_TOO_SMALL | tonemap | the image is below 10 pixels a side: it cannot be tone mapped |
 *  | -13 | LFTM_ERR_TOO_LARGE | tonemap, tms | the image is larger than the driver takes: tms at most 2^31 - 1 pixels; tonemap at most what a pyramid of 2^31 - 1 floats holds (PyramidDims.total and total2, about 1.6 gigapixels: 49000 x 32700 takes, 42000 x 24540 is about 1.03). Reduce the image |
 *  | -14 | LFTM_ERR_NO_SCRATCH_SPACE | tonemap | disk mode: the temporary directory has less free space than the run's estimate, or the output buffer's file cannot be given its blocks (printed): free space or set $TMPDIR to a larger disk |
 *  | -101 | LFTM_ERR_EXT_TYPE | tonemap, tms | extType is not 100, 101, 200 or 201: fix the call |
 *  | -1000 | LFTM_ERR_INFO | tonemap, tms, qv_from_file | the image's size and layout cannot be read: missing, damaged or not of its kind |
 *  | -1001 | LFTM_ERR_READ | tonemap, tms, qv_from_file | the image's pixels cannot be read: damaged or truncated |
 *  | -1002 | LFTM_ERR_READ_AGAIN | tonemap | the second read (memory mode) failed: the file changed during the run |
 *  | **Sibling libraries, as loaded by the drivers** ||||
 *  | -110, -120, -125, -130 | LFTM_ERR_LOAD_* | tonemap, tms | the JPEG writer, TIFF writer, TIFF reader or EXR reader library cannot be loaded: install it beside liblftm |
 *  | -111, -126, -127, -131, -132, -165 | LFTM_ERR_ENTRY_* | tonemap, tms | a sibling library lacks an entry point: reinstall it |
 *  | **Radiance RGBE reader** ||||
 *  | -2000 .. -2007 | LFTM_ERR_RGBE_* | calc_tm1 and tonemap in disk mode | the .hdr file cannot be opened or is damaged (see each name) |
 *  | -4201 | LFTM_ERR_RGBE_ROW_WIDTH | the library's own RGBE reader (calc_tm1 and tonemap report it as -4) | a run-length row of the .hdr file announces another width than its header: the file is damaged |
 *  | **Sibling writers** (passed on by the drivers) ||||
 *  | -3001 .. -3003 | LFTM_ERR_WRITER_* | tonemap, tms | the output cannot be written; no partial file is left: check the layout, the folder and the free space |
 *  | **Sibling readers** (their own entry points only; the drivers report -1000, -1001 or -2) ||||
 *  | -3101 .. -3104 | LFTM_ERR_SIB_* | infotif, LFreadtifflat, lfexr_dim, lfexr_read | see each name |
 *  | **Input files** (host functions and lftm_check_input; tonemap, tms and qv_from_file report -1000, parse_xmp -1) ||||
 *  | -4001 | LFTM_ERR_INPUT_MISSING | lftm_check_input, lftm_tonemap_file, lftm_read_info, lftm_read_image | there is no such file: check the name and the folder |
 *  | -4002 | LFTM_ERR_INPUT_NO_PERMISSION | the same | the file may not be read: change its permissions or run as a user who may |
 *  | -4003 | LFTM_ERR_INPUT_FOLDER | the same | the path names a folder: name an image file in it |
 *  | -4004 | LFTM_ERR_INPUT_NOT_REGULAR | the same | a pipe, socket or device, which is never read (a pipe would wait for a writer): save the image to a file |
 *  | -4005 | LFTM_ERR_INPUT_CANNOT_OPEN | the same | the file cannot be opened for another reason (too many open files, a loop of links): see the system's reason |
 *  | -4006 | LFTM_ERR_INPUT_EMPTY | the same | the file holds no byte: it was not written whole |
 *  | -4007 | LFTM_ERR_INPUT_ORIENTATION (lftm_host.h) | lftm_diagnose_input | the Radiance header stores its rows in another order than top to bottom, left to right: rotate or flip the image in the program that wrote it |
 *  | -4008 | LFTM_ERR_INPUT_TRUNCATED (lftm_host.h) | lftm_diagnose_input | the file holds fewer bytes than its Radiance header's size needs: it was not written whole |
 *  | **Limits and the temporary folder** (runs of the host functions; tonemap and tms alone return -4, -1 or -2) ||||
 *  | -4101 | LFTM_ERR_OVER_LIMIT | lftm_tonemap_file, lftm_tonemap_image | the run needs more memory than the limit the caller set (lftm_options.memory_limit; a line says how much): raise the limit or use disk mode |
 *  | -4102 | LFTM_ERR_TEMP_MISSING | lftm_tonemap_file, lftm_tonemap_image | disk mode: the temporary folder ($TMPDIR, else /tmp) does not exist (a line names it): set TMPDIR to an existing folder |
 *  | -4103 | LFTM_ERR_TEMP_NOT_WRITABLE | lftm_tonemap_file, lftm_tonemap_image | disk mode: the temporary folder is not writable (a line names it): set TMPDIR to a folder you can write to |
 *  | **Host interface** (lftm_host.h) ||||
 *  | -50 .. -53 | LFTM_ERR_CANCELLED, LFTM_ERR_ARGUMENT, LFTM_ERR_UNKNOWN_FORMAT, LFTM_ERR_SAME_FILE | the lftm_ functions of lftm_host.h | see each name |
 *  | -54 .. -56 | LFTM_ERR_OUTPUT_EXISTS, LFTM_ERR_OUTPUT_NOT_FILE, LFTM_ERR_OUTPUT_READ_ONLY | lftm_tonemap_file, lftm_check_output | the output's name holds a file lftm did not write (set `overwrite`), something other than a regular file, or a file the caller may not write; nothing was touched |
 *  @{ */

/** General codes, shared by many functions. */
enum {
  LFTM_ERR_FILE = -1,          /**< a file or size problem, or an unusable argument */
  LFTM_ERR_IO = -2,            /**< a short read or write */
  LFTM_ERR_LOG_TYPE = -3,      /**< get_log_lum: a type outside 0..2 */
  LFTM_ERR_XMP_WRITE = -3,     /**< write_xmp: the text could not be written or flushed */
  LFTM_ERR_NO_MEMORY = -4,     /**< memory that cannot be had */
  LFTM_ERR_NOT_HALVING = -5,   /**< extract_base_preview: the output is not the image halved a
                                    whole number of times */
  LFTM_ERR_XMP_METHOD = -5,    /**< parse_xmp: the file holds another method than requested */
  LFTM_ERR_XMP_NO_NAMESPACE = -10 /**< parse_xmp: no "xmlns:lftm=" declaration */
};

/** Codes of the Texture Booster stages. */
enum {
  LFTM_ERR_SOLVER_SCRATCH = -20, /**< calc_tm2: a solver scratch file failed (disk mode) */
  LFTM_ERR_NEGATIVE_LUM = -101,  /**< calc_tm3: a negative value in the luminance plane (the
                                      same number as LFTM_ERR_EXT_TYPE) */
  LFTM_ERR_EMPTY_LUM = -102      /**< calc_tm3: an empty luminance plane */
};

/** Codes of the file-to-file drivers. */
enum {
  LFTM_ERR_DISK_TIFF = -11,    /**< disk mode requested for TIFF input */
  LFTM_ERR_TOO_SMALL = -12,    /**< tonemap: the image is narrower or lower than 10 pixels */
  LFTM_ERR_TOO_LARGE = -13,    /**< tonemap, tms: the image is larger than the driver takes */
  LFTM_ERR_NO_SCRATCH_SPACE = -14, /**< tonemap: too little free space for the scratch files */
  LFTM_ERR_EXT_TYPE = -101,    /**< unsupported input kind */
  LFTM_ERR_INFO = -1000,       /**< the image information could not be read */
  LFTM_ERR_READ = -1001,       /**< the image could not be read */
  LFTM_ERR_READ_AGAIN = -1002  /**< the image could not be read a second time */
};

/** Codes of the drivers when a sibling library or one of its entry points is missing. */
enum {
  LFTM_ERR_LOAD_JPG = -110,        /**< JPEG writer library missing */
  LFTM_ERR_ENTRY_JPG = -111,       /**< LFwritejpg missing */
  LFTM_ERR_LOAD_TIFW = -120,       /**< TIFF writer library missing */
  LFTM_ERR_LOAD_TIFR = -125,       /**< TIFF reader library missing */
  LFTM_ERR_ENTRY_INFOTIF = -126,   /**< infotif missing */
  LFTM_ERR_ENTRY_READTIF = -127,   /**< LFreadtifflat missing */
  LFTM_ERR_LOAD_EXR = -130,        /**< EXR reader library missing */
  LFTM_ERR_ENTRY_EXRDIM = -131,    /**< lfexr_dim missing */
  LFTM_ERR_ENTRY_EXRREAD = -132,   /**< lfexr_read missing */
  LFTM_ERR_ENTRY_BUF2TIF = -165    /**< buf2tif missing */
};

/** Codes of the Radiance RGBE reader. */
enum {
  LFTM_ERR_RGBE_OPEN = -2000,      /**< RGBE file cannot be opened */
  LFTM_ERR_RGBE_SEEK = -2001,      /**< RGBE file cannot be measured */
  LFTM_ERR_RGBE_SHORT = -2003,     /**< RGBE file ends early or cannot be read */
  LFTM_ERR_RGBE_NO_SIZE = -2004,   /**< no usable resolution line in the RGBE header */
  LFTM_ERR_RGBE_BAD_SIZE = -2005,  /**< RGBE resolution line missing or different */
  LFTM_ERR_RGBE_RUN = -2006,       /**< RGBE run passes the end of its component */
  LFTM_ERR_RGBE_LITERAL = -2007,   /**< RGBE literal empty or past the end of its component */
  LFTM_ERR_RGBE_ROW_WIDTH = -4201  /**< an RGBE run-length row header announces another width
                                        than the resolution line (added in 0.5; calc_tm1 and
                                        tonemap return -4 for it, as before) */
};

/** Codes of the sibling libraries' own entry points. */
enum {
  LFTM_ERR_WRITER_ARGS = -3001,    /**< writer: unusable size, samples per pixel or depth */
  LFTM_ERR_WRITER_CREATE = -3002,  /**< writer: the output file cannot be created */
  LFTM_ERR_WRITER_IO = -3003,      /**< writer: writing the output file failed (disk full?); the
                                        partial file is removed */
  LFTM_ERR_SIB_OPEN = -3101,       /**< sibling reader: the file cannot be opened or is not of
                                        its format */
  LFTM_ERR_SIB_LAYOUT = -3102,     /**< sibling reader: a sample layout it does not read (for
                                        example floating-point or 32-bit TIFF samples) */
  LFTM_ERR_SIB_DECODE = -3103,     /**< sibling reader: the file is damaged or cannot be decoded */
  LFTM_ERR_SIB_SIZE = -3104        /**< sibling reader: asked for another size or more samples
                                        than the file has */
};

/** Why an input file cannot be read (host functions and lftm_check_input). */
enum {
  LFTM_ERR_INPUT_MISSING = -4001,       /**< there is no such file */
  LFTM_ERR_INPUT_NO_PERMISSION = -4002, /**< the file may not be read */
  LFTM_ERR_INPUT_FOLDER = -4003,        /**< the path names a folder */
  LFTM_ERR_INPUT_NOT_REGULAR = -4004,   /**< a pipe, socket or device, not a regular file */
  LFTM_ERR_INPUT_CANNOT_OPEN = -4005,   /**< the file cannot be opened for another reason */
  LFTM_ERR_INPUT_EMPTY = -4006          /**< the file holds no byte */
};

/** A run refused for its memory limit or its temporary folder (host functions). */
enum {
  LFTM_ERR_OVER_LIMIT = -4101,        /**< the run needs more memory than the caller's limit */
  LFTM_ERR_TEMP_MISSING = -4102,      /**< disk mode: the temporary folder does not exist */
  LFTM_ERR_TEMP_NOT_WRITABLE = -4103  /**< disk mode: the temporary folder is not writable */
};

/** @} */

/** @addtogroup records
 *  @{ */

/** The parameter block: 20 settings, read according to the method code.
 *
 *  Settings that are integers by nature are stored as floats and truncated toward zero where
 *  an integer is needed. The library checks no range except where a row says so: the ranges
 *  below are those the formulas are made for (a host's sliders); other values are used as
 *  they are. "Name" is the element of the settings sidecar (write_xmp, parse_xmp) and the
 *  option of the command-line tool (--Name VALUE).
 *
 *  Texture Booster (method 1); defaults from tmparam_default(1, variant, ...):
 *  | Slot | Name | Range | Default | What it does |
 *  |---|---|---|---|---|
 *  | 0 | Luminosity | none fixed | 0 | stage 1: attenuation exponent -(1 + 0.6 (s + 10)) / 100; higher compresses large gradients more |
 *  | 1 | Strength | 1..100 (below 1 counts as 1) | 70; 40 when variant > 0 | stage 3: share of the reconstructed luminance against a logarithmic mapping, whose weight is 0.009 (100 - s) (TIFF input: 0.0076 (100 - s), above 40 0.0051 (129.4 - s)) |
 *  | 2 | ColorSaturation | 0..100 | 46 | stage 3: saturation exponent s / 100; below 40 or above 50 saturation is also scaled by 10 % per 5 |
 *  | 3 | WhiteClip | 0..10, percent of the pixels (stage 3: outside gives 0.25) | 0.25 | stages 1 and 3: the white point is the (100 - s) % percentile of luminance |
 *  | 4 | BlackClip | 0..10 (stage 3: outside gives 0) | 0 | stage 3: s / 2 % of the pixels become black |
 *  | 5 | Smoothing (with SmoothingMode Light: Very High, High, Medium, Low, Very Low) | 0..4 | 1 (High) | used when slot 16 is 0: tm_dim makes the multigrid pyramid 2 - s levels deeper than the size alone gives |
 *  | 6 | Microcontrast | -10 and up (older sidecars: words for -10..0) | 0 | stage 1: gradient threshold factor 0.1 x 2^(s / 2.5), above 2 0.1 x 2^(0.8 + (s - 2) / 8); higher lifts more fine detail |
 *  | 7 | Microsmoothing | 0 and up | 2 | stage 1: adds s / 15 (above 11: 0.7333 + (s - 11) / 10) of the mean gradient to each attenuated gradient, smoothing fine detail |
 *  | 8 | Gamma (sidecar and tool: the gamma value g, slot = 50 (1 - log2 g)) | 0..100 (g 2.0 .. 0.5) | 50 (g 1.0) | stage 3: gamma 2^((50 - s) / 50), applied only when between 0.24 and 2.01 |
 *  | 9 | HighlightsSmoothing | 0..100 | 0 | stage 3: weight (percent) of a simple global rendition blended into the highlights |
 *  | 10 | ShadowsSmoothing | 0..200 | 0 | stage 3: weight (half-percent) of that rendition in the shadows |
 *  | 11 | ShadowsClipping | 0..100 | 0 | stage 3: shadows below s % of the way from the minimum to the median log luminance are pulled to black |
 *  | 12 | ColorTemperature | none fixed | 0 | stage 3: white balance towards 6500 - 260 s kelvin; off when exactly 0 |
 *  | 13 | SaturationHighlights | -10..10 | 0 | stage 3: above the median luminance, moves the saturation exponent abs(s) / 10 of the way to 1 (more colour, s > 0) or to 0 (grey, s < 0) |
 *  | 14 | SaturationShadows | -10..10 | 0 | stage 3: the same below the median |
 *  | 15 | 360DegreeImage (Yes, No) | 0 or 1 | 0 | stages 1 and 2: integer part non-zero: the left and right edges meet (panorama) |
 *  | 16 | SmoothingMode (Light = 0, Slider = 1) | 0 or 1 | 1 | 0: smoothing from the preset of slot 5, single-level stage 1 and multigrid stage 2; 1: from slot 17, multi-level stage 1 and conjugate-gradient stage 2. tm_dim tests == 0, calc_tm1 the integer part, calc_tm2 > 0: a fraction or a negative value pairs unmatched workers |
 *  | 17 | Smoothing (with SmoothingMode Slider: a number) | none fixed | 0 | stage 2: at most 50 x 3^(s / 10) solver steps per level (50 at 0); a limit past 2^31 - 1 gives -1 |
 *  | 18 | (none) | -2..2 | 0 | stage 2: solver tolerance class, 1e-5 x 10^-class (class -2: 3e-4); above 0 also makes stage 1's attenuation window five levels instead of six |
 *  | 19 | (none) | any | 0 | printed by stage 2 only |
 *
 *  Range Squeezer (method 2); tmparam_default gives all 0, the neutral settings. Other slots
 *  are not read.
 *  | Slot | Name | Range | Default | What it does |
 *  |---|---|---|---|---|
 *  | 0 | Brightness | none fixed | 0 | response scale exp(-f), f = (0.4 - 0.01 b) b for b > 0, 0.5 b down to -6, (0.5 + 0.1 (-6 - b)) b below; higher is brighter |
 *  | 1 | Compression | -10..10 | 0 | response exponent: 0 the automatic one (LogStats::autoContrast), moving linearly to 0.01 at -10 and 0.7 at +10 |
 *  | 2 | Contrast | -10..10 | 0 | adaptation level: -10 the image's mean luminance only, +10 each pixel's own, linear between |
 *  | 3 | WhiteClip | 0 and up | 0 | lowers the top of the output range by 4 % of its span per unit |
 *  | 4 | BlackClip | 0 and up | 0 | raises the bottom of the output range by 6 % of its span per unit |
 *  | 12 | ColorTemperature | none fixed | 0 | white balance towards 6500 - 200 s kelvin; off when the integer part is 0 |
 *  | 13 | Saturation | -10 and up | 0 | HSL saturation times 1 + 0.1 s; off when the integer part is 0 |
 *
 *  Blend/Tune (method 10) and Blend/Strong (method 11) are only stored and read as settings:
 *  Blend/Tune slots 0 Accentuation, 1 BlendingPoint, 2 Shadows, 3 Saturation, 4 WhiteClip,
 *  5 BlackClip, 6 MidtonesAdjustment (defaults all 0); Blend/Strong slots 0 Strength,
 *  1 Saturation, 2 Radius (default 40, the others 0). */
typedef struct TmParam {
  float tmParam[20]; /**< the settings, slot by slot as tabled above */
} TmParam;

/** Image layout. */
typedef struct ImageDesc {
  int32_t width;      /**< pixels per row */
  int32_t height;     /**< rows */
  int32_t spp;        /**< samples per pixel: 3 (colour) or 1 (grey) */
  int32_t spare;      /**< set to 8 by init_dim_param, read by nothing */
  int32_t bits;       /**< bits per output sample: 8 or 16 */
  int32_t rowSamples; /**< samples per source row, width x spp */
  int32_t rowStride;  /**< samples from one interleaved row to the next */
  int32_t bgr;        /**< 0: red, green, blue order; other: blue first */
  int32_t planes;     /**< 3: output as three planes (R, G, B); other: interleaved */
} ImageDesc;

/** The run record: threads, disk mode and file paths.
 *  In disk mode tonemap makes its scratch files in $TMPDIR (or /tmp when it is unset or empty)
 *  under the names tm10XXXXXX to tm15XXXXXX, and tmexrXXXXXX for OpenEXR input (XXXXXX: six
 *  random letters and digits). Every return removes them; only a process killed outright
 *  (SIGKILL, power loss) leaves them behind. */
typedef struct TmFiles {
  int32_t threads;      /**< worker threads; below 2 the calling thread does the work */
  int32_t readFromDisk; /**< non-zero: large planes live in scratch files (see above) */
  const char* inFile;   /**< the input image file */
  const char* scratch1; /**< scratch files of the Texture Booster stages */
  const char* scratch2; /**< second scratch file */
  const char* scratch3; /**< third scratch file */
  const char* scratch4; /**< fourth scratch file */
  const char* scratch5; /**< fifth scratch file */
} TmFiles;

/** Sizes of the multigrid and attenuation pyramids, filled by tm_dim. */
typedef struct PyramidDims {
  int32_t reserved; /**< set to 0 by the caller; not used */
  int32_t W0;       /**< image width */
  int32_t H0;       /**< image height */
  int32_t W;        /**< level-0 width */
  int32_t H;        /**< level-0 height */
  int32_t total;    /**< floats of the multigrid pyramid, all levels */
  int32_t total2;   /**< floats of the attenuation pyramid, all levels */
  int32_t coarseW;  /**< coarsest multigrid level width */
  int32_t coarseH;  /**< coarsest multigrid level height */
  int32_t minW;     /**< coarsest attenuation level width */
  int32_t minH;     /**< coarsest attenuation level height */
  int32_t rang;     /**< multigrid depth (halving steps) */
  int32_t levels2;  /**< attenuation depth (halving steps) */
} PyramidDims;

/** Per-file information filled by the readers and, for the writers, by the drivers.
 *  The slots are named by LFTM_INFO_*; a slot with several names means one thing to each
 *  party that fills or reads it. */
typedef struct HdrFileInfo {
  int32_t infos[11]; /**< indexed by LFTM_INFO_*; the other slots are 0 */
} HdrFileInfo;

/** Slots of HdrFileInfo.infos. */
enum {
  LFTM_INFO_WIDTH = 0,            /**< infos[0]: image width in pixels */
  LFTM_INFO_HEIGHT = 1,           /**< infos[1]: image height in pixels */
  LFTM_INFO_FILE_LENGTH = 2,      /**< infos[2], RGBE reader: the file's length in bytes
                                       (2^31 - 1 for a longer file) */
  LFTM_INFO_SPP = 2,              /**< infos[2], TIFF and EXR readers, writers: samples per
                                       pixel */
  LFTM_INFO_BITS = 3,             /**< infos[3], TIFF and EXR readers: bits per sample;
                                       writers: bits per output sample */
  LFTM_INFO_TILED = 4,            /**< infos[4], TIFF and EXR readers: 1 for a tiled file */
  LFTM_INFO_DPI = 4,              /**< infos[4], writers: options[LFTM_SAVE_DPI] */
  LFTM_INFO_FILE_COMPRESSION = 5, /**< infos[5], TIFF reader: the file's compression tag */
  LFTM_INFO_ICC = 5,              /**< infos[5], writers: options[LFTM_SAVE_ICC] */
  LFTM_INFO_PRIMARIES = 6,        /**< infos[6], RGBE reader: 32 after a PRIMARIES line,
                                       else 0 */
  LFTM_INFO_PHOTOMETRIC = 6,      /**< infos[6], TIFF reader: the file's photometric tag */
  LFTM_INFO_COMPRESSION = 6,      /**< infos[6], writers: options[LFTM_SAVE_COMPRESSION] */
  LFTM_INFO_SAMPLE_FORMAT = 7,    /**< infos[7], TIFF reader: the file's sample format tag */
  LFTM_INFO_WIDENED = 7,          /**< infos[7], writers: 1 when the samples are 16-bit and
                                       are written as 8-bit */
  LFTM_INFO_METADATA = 10         /**< infos[10], writers: options[LFTM_SAVE_METADATA] */
};

/** Output options of the drivers; options 0, 1, 2 and 10 are handed to the writers.
 *  A zero-filled record gives the defaults. */
typedef struct SaveOptions {
  int32_t options[11]; /**< indexed by LFTM_SAVE_*; the other entries are not read */
} SaveOptions;

/** Meaning of the SaveOptions entries that the writers read. */
enum {
  LFTM_SAVE_COMPRESSION = 0, /**< options[0]: TIFF compression, LFTM_TIFF_* (JPEG: unused) */
  LFTM_SAVE_DPI = 1,         /**< options[1]: resolution in dots per inch stored in the file;
                                  0 or less: 72 */
  LFTM_SAVE_ICC = 2,         /**< options[2]: colour profile, LFTM_ICC_* */
  LFTM_SAVE_METADATA = 10    /**< options[10]: LFTM_META_* flags */
};

/** TIFF compression (options[LFTM_SAVE_COMPRESSION]); other values give the default. */
enum {
  LFTM_TIFF_DEFLATE = 0, /**< lossless Deflate with horizontal prediction (default) */
  LFTM_TIFF_NONE = 1,    /**< uncompressed */
  LFTM_TIFF_LZW = 2      /**< lossless LZW with horizontal prediction */
};

/** Colour profile (options[LFTM_SAVE_ICC]); other values give the default. */
enum {
  LFTM_ICC_SRGB = 0, /**< an sRGB ICC profile is embedded (default; grey output gets none) */
  LFTM_ICC_NONE = 1  /**< no profile */
};

/** Metadata flags (options[LFTM_SAVE_METADATA]), or-ed together; 0 is the default. */
enum {
  LFTM_META_NO_SETTINGS = 1 /**< do not embed the run's settings as an XMP packet (TIFF tag
                                 700, JPEG APP1 segment) */
};

/** Luminance statistics of the Texture Booster. */
typedef struct LumStats {
  float lumMoy;      /**< geometric mean luminance */
  float lumMaxRatio; /**< maximum luminance / lumMoy */
  float lumMin;      /**< minimum luminance */
  float logMed;      /**< log luminance at the median fraction */
  float log25;       /**< log luminance at half the median fraction */
  float log75;       /**< log luminance at the upper quartile fraction */
  float logClip;     /**< log luminance at the white clip fraction */
} LumStats;

/** Log-luminance statistics of the Range Squeezer. */
typedef struct LogStats {
  float logMin;       /**< minimum log luminance; 1e11 when no pixel is valid */
  float logMax;       /**< maximum log luminance, never below 0 */
  float logMoy;       /**< mean log luminance */
  float autoContrast; /**< default response exponent */
} LogStats;

/** @} */

/** @defgroup params Parameters and memory
 *  @{ */

/** Fills a parameter block with the defaults of method `type` (1 and 11 have defaults,
 *  any other type gives all zeros); `variant` > 0 selects the lighter Strength of 40.
 *  @param type    method code (LFTM_METHOD_*); the slot tables are with TmParam.
 *  @param variant > 0: Strength (slot 1) 40 instead of 70; read for type 1 only.
 *  @param tmParam [out] all 20 slots written; must not be null.
 *  @return 1. */
LFTM_EXPORT int32_t tmparam_default(int32_t type, int32_t variant, TmParam* tmParam);

/** Resets a run record: no threads, memory mode, null paths (scratch5 is left as it is).
 *  @param files [out] the record; must not be null.
 *  @return 1. */
LFTM_EXPORT int32_t init_optim_param(TmFiles* files);

/** Resets an image layout: 0 x 0, 3 samples, 8 bits, interleaved RGB.
 *  @param desc [out] the record (spare set to 8, rowSamples, rowStride, bgr and planes to
 *         0); must not be null.
 *  @return 1. */
LFTM_EXPORT int32_t init_dim_param(ImageDesc* desc);

/** Checks that a zero-filled block of `bytes` bytes can be allocated (and frees it).
 *  @param bytes size of the block in bytes; negative gives -4.
 *  @return 1, or -4 when it cannot. */
LFTM_EXPORT int32_t verif_mem(int32_t bytes);

/** Copies `len` bytes from `src` to `dst` (note the order). The areas must not overlap.
 *  @param src [in] `len` bytes.
 *  @param len bytes to copy; 0 or less copies nothing.
 *  @param dst [out] room for `len` bytes.
 *  @return 1. */
LFTM_EXPORT int32_t copie_mem(const void* src, int32_t len, void* dst);

/** @} */

/** @defgroup drivers File-to-file drivers
 *
 *  Both drivers read `files->inFile`, tone map it and write `outFile`. The writer is the JPEG
 *  writer when desc->bits is 8 and the name ends in ".jpg" or ".JPG" (exactly those three
 *  letters), otherwise the TIFF writer (8 or 16 bits). The sibling libraries that a run needs
 *  are loaded for the call only, by bare name and then from the directory of liblftm and its
 *  `lftm/` subdirectory (where an installed tree keeps them).
 *
 *  Writer arguments, all optional (0 or null gives the default):
 *  - w6  (const char*): image description (TIFF ImageDescription; JPEG EXIF
 *    ImageDescription and comment);
 *  - w7  (const char*): artist (TIFF Artist, JPEG EXIF Artist);
 *  - w8  (int32_t): JPEG chroma: 0 halves the colour resolution (4:2:0), 1 keeps it (4:4:4);
 *  - w9  (const char*): copyright notice (TIFF Copyright, JPEG EXIF Copyright);
 *  - w10 (const char*): software name (TIFF Software, JPEG EXIF Software); null: "lftm".
 *  JPEG texts that together exceed the EXIF block's 64 KB are shortened.
 *  `jpgQual` is the JPEG quality 1..100; 0 or less gives 90, above 100 gives 100.
 *  The SaveOptions entries are described with LFTM_SAVE_COMPRESSION.
 *
 *  The output is written atomically: the writer fills a temporary file `.<name>.XXXXXX`
 *  made at the start of the run in the folder of `outFile` (`<name>` is the last part of
 *  `outFile`, cut to 240 bytes; XXXXXX six random letters and digits), which is renamed onto
 *  `outFile` only when the writer succeeded. So `outFile` holds the whole new file or, after
 *  a failure, what it held before (nothing is created there); a missing or unwritable folder
 *  fails at once with -3002, before the image is read. The file gets the mode of a newly
 *  created file (0666 less the umask); an existing `outFile` is replaced, not rewritten in
 *  place (a symbolic link of that name is replaced by the file), and the new file keeps its
 *  permission bits. Only a regular file the caller may write is replaced: a folder, device,
 *  pipe or socket (followed through a symbolic link) or a write-protected file fails with
 *  -3002 before the image is read (and once more at the rename), and is left untouched.
 *  Every return removes the temporary and the
 *  scratch files (see TmFiles); only a process killed outright (SIGKILL, power loss) may
 *  leave a `.<name>.XXXXXX` beside the output and tm10XXXXXX..tm15XXXXXX or tmexrXXXXXX in
 *  $TMPDIR or /tmp.
 *  Thread note: driver calls on different output files may run at the same time; each uses
 *  up to files->threads workers (at most 32) inside the call.
 *  @{ */

/** Tone maps one HDR file (`files->inFile`) into a TIFF or JPEG file with the Texture Booster.
 *  @param extType 100 .hdr, 101 .exr, 200 gamma-encoded .tif, 201 linear .tif.
 *  @param desc [in,out] `bits` (8 or 16) is read; width, height, spp, rowSamples, rowStride
 *         and bgr are written back.
 *  @param tmParam Texture Booster settings (method 1), embedded in the output.
 *  @param jpgQual JPEG quality (see above).
 *  @param save output options; may be null (defaults).
 *  @param w6,w7,w8,w9,w10 writer arguments (see above).
 *  @param unused not read.
 *  @param files `threads` (0 or 1: the calling thread), `readFromDisk` (non-zero: the large
 *         planes live in scratch files in $TMPDIR or /tmp; the image is byte for byte the one
 *         memory mode makes) and `inFile`; not changed.
 *  @param outFile the file to write, atomically (see above); the writer is chosen from this
 *         name.
 *  @return 1 (the writer's result) on success, or a negative code: -101 unsupported extType,
 *          -11 disk mode with TIFF input, -110, -111, -120, -165, -125, -126, -127, -130,
 *          -131, -132 a sibling library or entry point missing, -2 a TIFF that cannot be
 *          read as 16-bit samples or a scratch file that cannot be made or read back,
 *          -1000 the image information could not be read, -12 an image below 10 pixels a
 *          side, -13 an image too large (at most about 1.6 gigapixels: the pyramid totals
 *          of PyramidDims must stay within 2^31 - 1 floats), -14 (disk mode) less free space
 *          in the temporary directory than the run's estimate, -1 a null record or path, a
 *          `bits` other than 8 or 16 or no temporary directory, -4 out of memory or an
 *          estimate (printed before anything is allocated) past the memory available,
 *          -1001 / -1002 the image could not be read, a negative code of calc_tm1, calc_tm2 or
 *          calc_tm3 (disk mode: also -2000 .. -2007 for a damaged .hdr and -20 for a solver
 *          scratch file; -101 here also means a negative luminance plane, see
 *          LFTM_ERR_NEGATIVE_LUM), or a writer code (-3001 .. -3003; -3002 also when the
 *          folder of `outFile` cannot take the temporary or the finished file cannot take its
 *          name, and, before any work, when `outFile` names something other than a regular
 *          file, such as a device, or a file the caller may not write). */
LFTM_EXPORT int32_t tonemap(int32_t extType, ImageDesc* desc, const TmParam* tmParam,
                            int32_t jpgQual, const SaveOptions* save, intptr_t w6, intptr_t w7,
                            int32_t w8, intptr_t w9, intptr_t w10, const char* unused,
                            const TmFiles* files, const char* outFile);

/** Tone maps one HDR file into a TIFF or JPEG file with the Range Squeezer.
 *  Arguments as tonemap; `params` holds the Range Squeezer settings (method 2). The whole image
 *  is held in memory (`readFromDisk` is not read). TIFF input is decoded to linear values on
 *  the scale the operator expects: a sample of 0 is black, and the image is levelled so that
 *  its geometric mean luminance is 0.125. `outFile` is written atomically through a temporary
 *  `.<name>.XXXXXX` beside it, as tonemap's; tms makes no scratch files.
 *  @param extType 100 .hdr, 101 .exr, 200 gamma-encoded .tif, 201 linear .tif.
 *  @param desc [in,out] `bits` (8 or 16) is read; width, height, spp, rowSamples, rowStride
 *         and bgr are written back.
 *  @param params Range Squeezer settings (method 2), embedded in the output.
 *  @param jpgQual JPEG quality (see above).
 *  @param save output options; may be null (defaults).
 *  @param w6,w7,w8,w9,w10 writer arguments (see above).
 *  @param unused not read.
 *  @param files `threads` (0 or 1: the calling thread) and `inFile`; not changed.
 *  @param outFile the file to write, atomically (see above); the writer is chosen from this
 *         name.
 *  @return 1 (the writer's result) on success, or a negative code: -1 a null record or path
 *          or a `bits` other than 8 or 16, -101, -110 .. -165, -2, -1000, -13 (more than
 *          2^31 - 1 pixels), -4 (also an estimate past the memory available), -1001,
 *          the negative result of tm_simple (-1 when the image has a single luminance; a
 *          worker that cannot start is replaced by the calling thread), or a writer code
 *          (-3002 also as for tonemap). */
LFTM_EXPORT int32_t tms(int32_t extType, ImageDesc* desc, const TmParam* params,
                        int32_t jpgQual, const SaveOptions* save, intptr_t w6, intptr_t w7,
                        int32_t w8, intptr_t w9, intptr_t w10, const char* unused,
                        const TmFiles* files, const char* outFile);

/** @} */

/** @defgroup booster Texture Booster
 *  @{ */

/** Sizes the multigrid and attenuation pyramids of a width x height image.
 *  @param width,height image size in pixels; both at least 10.
 *  @param tmParam [in] slot 16 0.0 ("Light") takes the depth from the preset in slot 5.
 *  @param dims [out] every field but `reserved`.
 *  @return the multigrid depth `rang` (may be 0 or negative for small images), or -1 when
 *          width or height is below 10 or a pyramid's float count does not fit 32 bits
 *          (dims is then not written). */
LFTM_EXPORT int32_t tm_dim(int32_t width, int32_t height, const TmParam* tmParam,
                           PyramidDims* dims);

/** Stage 1: log luminance and its percentiles, gradient attenuation over the attenuation
 *  pyramid, and the right-hand side(s) of the Poisson equation, left in `buf`.
 *
 *  The pyramid lies in `buf` level after level from offset 0, each row-major; level k+1 is
 *  ceil(w/2) x ceil(h/2) of level k. With tmParam[16] (truncated) non-zero, level t holds the
 *  right-hand side of level t for t = 0 .. max(dims->rang - 2, 0), each from the attenuation
 *  factors of levels t .. t+5 (t+4 when tmParam[18] > 0); with it zero, level 0 holds the one
 *  right-hand side of all levels, values beyond [-100, 100] set to 0.
 *  @param docType 0 RGBE planar bytes, 1 interleaved 16-bit, 2 interleaved 8-bit samples
 *         (through lut); disk mode reads RGBE files only.
 *  @param img image layout; width and height must be dims->W0 and dims->H0.
 *  @param tmParam [in] Texture Booster settings: slots 0, 3, 6, 7, 15, 16 and 18.
 *  @param dims the record tm_dim filled for this image (read only).
 *  @param stats [out] all seven fields; fields 3 to 6 are left as they were when the image has
 *         a single luminance.
 *  @param expTable the 256-entry exponent table (docType 0). @param lut 65536 floats (docType
 *         1 and 2).
 *  @param info the RGBE header information of files->inFile (disk mode).
 *  @param files `threads` (at most 32 are used) and `readFromDisk`; in disk mode (single
 *         threaded) `inFile` is read, `scratch1` receives its RGBE bytes and `scratch2` the
 *         log-luminance pyramid. Both files outlive a successful call; a failed call removes
 *         them. May be null (memory mode, calling thread).
 *  @param work optional, used by the multi-level worker only: at least max(65536, L1 + 3 x
 *         dims->W) floats, L1 the size of level 1; with it no large buffer is allocated.
 *  @param raw memory mode: the image in the layout of docType, overwritten with the
 *         log-luminance pyramid, so at least max(dims->total, dims->total2) floats. Null in
 *         disk mode.
 *  @param buf [out] at least max(dims->total, dims->total2) floats.
 *  @return dims->W0, or -1 (an unusable argument, a pyramid record that does not describe
 *          the image, a pyramid too shallow for the multigrid levels, a scratch file that
 *          cannot be created, opened or positioned), -2 (a short scratch-file read or write),
 *          -4 (out of memory), or the negative result of the log-luminance step (in disk
 *          mode also an RGBE reader code). Thread note: stage-1 calls on different buffers
 *          may run at the same time. */
LFTM_EXPORT int32_t calc_tm1(int32_t docType, const ImageDesc* img, const TmParam* tmParam,
                             PyramidDims* dims, LumStats* stats, const float* expTable,
                             const float* lut, HdrFileInfo* info, const TmFiles* files,
                             float* work, void* raw, float* buf);

/** Stage 2: solves the Poisson equation for the right-hand-side pyramid in `out` and leaves
 *  the linear luminance plane (exp of the solution, W x H floats, W and H from `desc`) at the
 *  start of `out`.
 *
 *  With tmParam[16] > 0 the levels 0 .. rang - 2 of the pyramid are solved by conjugate
 *  gradients, coarsest first (a rang of 1 or less solves level 0 alone); otherwise a
 *  multigrid of rang levels runs four V-cycles from level 0's right-hand side.
 *
 *  Disk mode (files.readFromDisk non-zero): on success the plane is always both at the start
 *  of `out` and in the file files.scratch1 (W x H raw floats, the file rewritten), even when
 *  the pyramid was too shallow for the levels to be streamed and the solve ran in memory.
 *  files.scratch2 to scratch5 are removed before the call returns, on success and on failure;
 *  files.scratch1 is left for the caller to read back and remove.
 *
 *  @param desc width and height are read.
 *  @param coarseW,coarseH,total the coarsest level and the total floats of the pyramid
 *         (PyramidDims coarseW, coarseH, total); `out` holds at least `total` floats.
 *  @param rang the multigrid depth of PyramidDims.
 *  @param tmParam [in] Texture Booster settings: slots 15 to 19 (slot 5 printed only).
 *  @param files threads, readFromDisk and scratch1 to scratch5 (disk mode) are read.
 *  @param work1 optional 3 x W x H floats; @param work2 optional W x H floats. Both given:
 *         no plane-sized allocation.
 *  @param out [in,out] at least `total` floats: the right-hand sides of stage 1 in, the
 *         luminance plane out (disk mode: also used as scratch up to `total` floats).
 *  @return W x H (conjugate gradients) or H (multigrid) on success; -1 a bad argument, a
 *          scratch file that cannot be opened, levels that do not fit in `total`, or (conjugate
 *          gradients) a residual that is or becomes NaN or infinite, as right-hand sides from
 *          NaN or infinite settings give; -2 a short scratch transfer or a multigrid depth
 *          below 1 (or an image too small for one level below it); -4 memory; -20
 *          (LFTM_ERR_SOLVER_SCRATCH) a solver scratch file that cannot be opened, positioned,
 *          read or written.
 *  Thread note: uses up to files.threads workers (at most 32) inside the call; calls on
 *  different buffers and files may overlap. */
LFTM_EXPORT int32_t calc_tm2(ImageDesc desc, int32_t coarseW, int32_t coarseH, int32_t total,
                             int32_t rang, const TmParam* tmParam, TmFiles files, float* work1,
                             float* work2, float* out);

/** Stage 3: stretches the stage-2 luminance plane between a black and a white point, then
 *  restores colour with gamma, shadow clipping, saturation and white balance, and writes 8-bit
 *  (`bits` 8) or 16-bit (`bits` 16) samples. `desc` and `files` must not be null.
 *  @param docType layout of `input`: 0 RGBE planar bytes, 1 interleaved 16-bit and 2 interleaved
 *         8-bit samples (through `lut`), 10 interleaved floats; another value gives black pixels.
 *  @param desc image layout; interleaved input rows and output rows are `rowStride` samples
 *         apart (tiles start `rowSamples` samples per row into the input); with `planes` 3 the
 *         output is three packed planes of width x height samples (red, green, blue).
 *  @param param [in] Texture Booster settings: slots 1 to 4 and 8 to 14.
 *  @param stats [in] the statistics calc_tm1 filled for this image.
 *  @param expTable the 256-entry exponent table (docType 0). @param lut 65536 floats
 *         (docType 1 and 2); each may be null when its docType is not used.
 *  @param files `threads` workers (below 2: the calling thread; above 32: 32); `readFromDisk`
 *         non-zero selects disk mode, single-threaded: the RGBE rows are read from `inFile`,
 *         which is deleted after a successful call, and the luminance plane is taken from the
 *         last 4 x width x height bytes of `output` (height x rowStride 16-bit samples). Disk
 *         mode needs docType 0, `bits` 16 and a `rowStride` of at least width x spp and
 *         2 x width.
 *  @param input the source image, read only (ignored in disk mode).
 *  @param lum the luminance plane (width x height floats, not negative), normalised in place
 *         (ignored in disk mode).
 *  @param output height x rowStride samples, or 3 x width x height with planes.
 *  @return the number of rows processed (the last tile's rows when threaded, the height after a
 *          planar conversion), or -101 (LFTM_ERR_NEGATIVE_LUM: a negative luminance value;
 *          nothing is written), -102 (LFTM_ERR_EMPTY_LUM: a plane of 0 pixels or of NaN only),
 *          -2 (disk mode: a short row in `inFile`), -1 (disk mode: `inFile` cannot be opened,
 *          or a layout disk mode cannot serve), -4 (no memory). A worker that cannot start is
 *          replaced by the calling thread (same result). Thread note: the buffers must not be
 *          touched by the caller while the call runs. */
LFTM_EXPORT int32_t calc_tm3(int32_t docType, const ImageDesc* desc, const TmParam* param,
                             const LumStats* stats, const float* expTable, const float* lut,
                             const TmFiles* files, const void* input, float* lum, void* output);

/** @} */

/** @defgroup squeezer Range Squeezer
 *  @{ */

/** Single-pass response curve from log-luminance statistics.
 *  @param isFP 0: RGBE planar bytes; n > 0: interleaved floats, n = spp.
 *  @param desc image and output layout (read only). With planes = 3 the output is three
 *         packed planes of width x height samples (red, green, blue) and rowStride is not
 *         used; otherwise rows are rowStride samples apart.
 *  @param param,stats,expTable settings, statistics and exponent table (read only; the
 *         table only when isFP = 0).
 *  @param threads pointer to the worker count (the first field of a TmFiles does); below 2
 *         (or a null pointer) the calling thread does the work, above 32 counts as 32; planar
 *         output with more than 3 samples a pixel always runs on the calling thread.
 *  @param input the image; destroyed when isFP > 0, planar output and several workers, and
 *         the call succeeds.
 *  @param output 8-bit or 16-bit samples (bits): height x rowStride when interleaved,
 *         3 x width x height when planar.
 *  @return rows processed (the last tile's rows when tiled, the height after a tiled planar
 *          conversion), -1 when logMax equals logMin, bits is neither 8 nor 16 or spp is below 1
 *          (nothing is written), -4 when the plane conversion's scratch cannot be allocated. A
 *          worker that cannot start is replaced by the calling thread (same result). Thread
 *          note: calls on different output buffers may run at the same time. */
LFTM_EXPORT int32_t tm_simple(int32_t isFP, const ImageDesc* desc, const TmParam* param,
                              const LogStats* stats, const float* expTable,
                              const int32_t* threads, void* input, void* output);

/** @} */

/** @defgroup stats Statistics
 *  @{ */

/** Packed log-luminance plane and LumStats fields 0 to 2 of an interleaved image. Pixels
 *  whose luminance is not positive take the lowest log value of the image.
 *  @param type 0 float samples, 1 16-bit, 2 8-bit (through lut).
 *  @param width,height image size in pixels.
 *  @param spp samples per pixel, at least 1.
 *  @param rowStride samples from one row to the next; red, green and blue are samples 0,
 *         (spp - 1) / 2 and spp - 1 of a pixel.
 *  @param stats [out] lumMoy, lumMaxRatio and lumMin; the other fields are not touched.
 *  @param lut 65536 floats mapping a sample to its linear value (types 1 and 2; may be null
 *         for type 0).
 *  @param data [in] the image, height rows of `rowStride` samples.
 *  @param plane [out] width x height floats.
 *  @return the number of pixels with a usable luminance, -1 for a negative size, stride or
 *          an spp below 1 or width x height past 32 bits, -3 (LFTM_ERR_LOG_TYPE) for a type
 *          outside 0..2 (checked first; nothing is read or written). */
LFTM_EXPORT int32_t get_log_lum(int32_t type, int32_t width, int32_t height, int32_t spp,
                                int32_t rowStride, LumStats* stats, const float* lut,
                                const void* data, float* plane);

/** Minimum, maximum and mean log luminance and the automatic contrast exponent.
 *  Pixels without light are skipped; `autoContrast` is written only when the maximum
 *  exceeds the minimum.
 *  @param spp > 0: interleaved floats, spp a pixel, rows packed; <= 0: RGBE planar bytes
 *         decoded with expTable.
 *  @param width,height image size in pixels; 0 or less reads nothing (the results are then
 *         logMin 1e11, logMax 0, logMoy 0).
 *  @param expTable the 256-entry exponent table (RGBE only; may be null for floats).
 *  @param data [in] the image.
 *  @param stats [out] logMin, logMax, logMoy; autoContrast only as said above.
 *  @return height. */
LFTM_EXPORT int32_t logMinMaxMoy(int32_t spp, int32_t width, int32_t height,
                                 const float* expTable, const void* data, LogStats* stats);

/** @} */

/** @defgroup previews Previews
 *  The caller provides every destination buffer. Row strides are counted in samples; for the
 *  interleaved types a pixel is `pixStep` samples of which three are copied (sample 0, sample
 *  (pixStep - 1) / 2 and sample pixStep - 1). Type 0 images are RGBE planar bytes, 4 x width
 *  bytes a row (red, green, blue and exponent planes). None of these functions keeps state:
 *  any of them may be called from any host thread.
 *  @{ */

/** Bilinear enlargement (or reduction) of a float plane, srcWidth x srcHeight floats into
 *  dstWidth x dstHeight floats. The last row and the last column repeat the ones before them.
 *  Prints its scale, a few traced samples and the offset of the last row to standard error.
 *  @param srcWidth,srcHeight source size in floats (at least 1 x 1).
 *  @param dstWidth,dstHeight destination size in floats (at least 2 x 2).
 *  @param src [in] the source plane, row-major. @param dst [out] the destination plane.
 *  @return dstWidth x dstHeight, or -1 when the source is empty, the destination is smaller
 *          than 2 x 2, or a plane holds more than 2^31 - 1 floats. */
LFTM_EXPORT int32_t tm300(int32_t srcWidth, int32_t srcHeight, int32_t dstWidth,
                          int32_t dstHeight, const float* src, float* dst);

/** Nearest-neighbour quick view of any size.
 *  @param type 0 RGBE planar bytes (strides and pixStep not read), 1 interleaved 16-bit
 *         samples (`rowStride` and `outRowStride` in samples, `pixStep` samples a pixel).
 *  @param width,height image size in pixels (at least 5).
 *  @param pixStep samples a pixel, in source and destination (type 1).
 *  @param rowStride,outRowStride samples from one row to the next in src and dst (type 1).
 *  @param outWidth,outHeight quick-view size in pixels (at least 5).
 *  @param src [in] width x height pixels. @param dst [out] outWidth x outHeight pixels; for
 *         type 1 only the three copied samples of each pixel are written.
 *  @return outHeight; -1 when a width or height is below 5, or (checked after the type) when
 *          pixStep is below 1, a stride is negative or a buffer extent passes 2^31 - 1
 *          samples; 0 for a type other than 0 and 1. */
LFTM_EXPORT int32_t extract_qv(int32_t type, int32_t width, int32_t height, int32_t pixStep,
                               int32_t rowStride, int32_t outRowStride, int32_t outWidth,
                               int32_t outHeight, const void* src, void* dst);

/** Preview reduced by a power of two: every pas-th pixel of every pas-th row, where the image
 *  halved (rounding up) r times is the output size and pas = 2^r (1 for the image size).
 *  Prints each halving round and the chosen step to standard output.
 *  @param type 0 from srcRgbe, 1 from src16, 2 from src8 (the other two may be null).
 *  @param width,height image size in pixels (at least 5).
 *  @param pixStep samples a pixel, in source and destination (types 1 and 2).
 *  @param rowStride source row stride in samples (types 1 and 2).
 *  @param outWidth,outHeight preview size: the image halved (rounding up) a whole number of
 *         times, or the image size.
 *  @param srcRgbe [in] RGBE planar bytes, 4 x width bytes a row (type 0).
 *  @param src16 [in] interleaved 16-bit samples (type 1).
 *  @param src8 [in] interleaved 8-bit samples (type 2).
 *  @param dst [out] type 0: RGBE planar bytes outWidth wide; types 1 and 2: packed rows of
 *         outWidth x pixStep samples, only the three copied samples of each pixel written.
 *  @return the number of rows written (outHeight); -1 when a size is below 5, or for types
 *          1 and 2 when pixStep is below 1 or rowStride negative, or when a buffer extent
 *          passes 2^31 - 1 samples; -5 (LFTM_ERR_NOT_HALVING) when the output is not the image
 *          halved a whole number of times; 0 for another type. */
LFTM_EXPORT int32_t extract_base_preview(int32_t type, int32_t width, int32_t height,
                                         int32_t pixStep, int32_t rowStride, int32_t outWidth,
                                         int32_t outHeight, const uint8_t* srcRgbe,
                                         const uint16_t* src16, const uint8_t* src8, void* dst);

/** A 1:1 window of outWidth x outHeight pixels whose top-left corner is (x0, y0).
 *  @param type 0 RGBE planar bytes, 1 interleaved 16-bit samples, 2 interleaved 8-bit samples.
 *  @param width,height image size in pixels (at least 5).
 *  @param pixStep samples a pixel, in source and destination (types 1 and 2).
 *  @param rowStride,outRowStride samples from one row to the next in src and dst (types 1
 *         and 2).
 *  @param outWidth,outHeight window size in pixels (at least 5).
 *  @param x0,y0 top-left corner of the window in the image; the window must lie inside.
 *  @param src [in] width x height pixels. @param dst [out] outWidth x outHeight pixels, rows
 *         4 x outWidth bytes (type 0) or outRowStride samples apart (types 1 and 2).
 *  @return outHeight; -1 for a size below 5, or (checked after the type) a window not inside
 *          the image, a pixStep below 1, a negative stride or a buffer extent past 2^31 - 1
 *          samples; 0 for another type. */
LFTM_EXPORT int32_t extract_zoom(int32_t type, int32_t width, int32_t height, int32_t pixStep,
                                 int32_t rowStride, int32_t outRowStride, int32_t outWidth,
                                 int32_t outHeight, int32_t x0, int32_t y0, const void* src,
                                 void* dst);

/** Quick view straight from a Radiance RGBE file: reads the whole image and samples it as
 *  extract_qv does.
 *  @param outWidth,outHeight quick-view size in pixels (at least 5).
 *  @param path the .hdr file (NUL-terminated); null gives -1000.
 *  @param dst [out] RGBE planar bytes, outWidth x outHeight pixels (4 x outWidth bytes a row).
 *  @return outHeight, -1000 when the header cannot be read, -4 when the image cannot be held
 *          in memory, -1001 when its pixels cannot be read, or a code of extract_qv. */
LFTM_EXPORT int32_t qv_from_file(int32_t outWidth, int32_t outHeight, const char* path,
                                 void* dst);

/** Luminance and channel histograms of an 8-bit interleaved preview, pixels `pixStep` bytes
 *  apart. Counters 0..255 luminance (54a + 183b + 19c) >> 8, 256..511 sample 0, 512..767 the
 *  middle sample, 768..1023 the last sample.
 *  @param width,height preview size in pixels.
 *  @param pixStep bytes a pixel (at least 1; 3 for RGB, 4 for RGBA).
 *  @param data [in] width x height x pixStep bytes, rows packed.
 *  @param hist [in,out] 1024 counters, added to and never cleared: zero them first.
 *  @return width x height, or -1 when a size is negative, pixStep is below 1 or the data
 *          passes 2^31 - 1 bytes. */
LFTM_EXPORT int32_t histo4preview(int32_t width, int32_t height, int32_t pixStep,
                                  const uint8_t* data, int32_t* hist);

/** @} */

/** @defgroup settings Settings sidecar
 *  @{ */

/** Writes the settings of one method as an XMP sidecar file (plain 8-bit text, LF line
 *  ends, created or truncated).
 *
 *  The settings elements use the prefix `lftm`, bound to the namespace URI
 *  `http://ns.lftm.invalid/tone_mapping_settings`. The file declares format version 3.2, the
 *  method (for methods 1, 2, 10 and 11) and one element per setting of that method, in a
 *  fixed order. Numbers are always written with a period as the decimal separator, whatever
 *  LC_NUMERIC the host has set. Values are written as they are, not checked against any
 *  range, but never as "nan" or "inf": such a block is refused. The Texture
 *  Booster's gamma slider (slot 8) is written as the gamma it stands for; a smoothing mode
 *  other than 1 ("Slider") is written as "Light" with the preset of slot 5, and presets
 *  outside 0..4 as the nearest one.
 *
 *  @param path    file to write (NUL-terminated).
 *  @param method  1 Texture Booster, 2 Range Squeezer, 10 Blend/Tune, 11 Blend/Strong; 3 to 9
 *                 give a file without method and settings.
 *  @param tmParam [in] the caller's block; read during the call only; must not be null.
 *  @return 1 when written;
 *          -2 for a method of 0 or less or above 11, a null `tmParam`, or a block in which a
 *             value the file would hold (the gamma included) is NaN or infinite (no file is
 *             created or touched);
 *          -1 when the file cannot be opened for writing (or `path` is null);
 *          -3 (LFTM_ERR_XMP_WRITE) when the text could not be written or flushed (for
 *             example a full disk), or composed (no memory); the file is left as far as it
 *             got.
 *  Any host thread may call it; two calls must not write the same file at once. */
LFTM_EXPORT int32_t write_xmp(const char* path, int32_t method, const TmParam* tmParam);

/** Reads settings from an XMP sidecar into the caller's block, or tells which method a
 *  sidecar holds.
 *
 *  The reader scans lines, not XML: it needs the declaration "xmlns:lftm=" (any URI) and
 *  reads the known elements of the requested method from the lines after it, up to the line
 *  holding "</rdf:". Files of older format versions are read too (integer values before
 *  3.2, micro-contrast words before 2.5, the element name NoiseSmoothing). Slots the file
 *  does not set keep the caller's values, so fill the block with tmparam_default() first;
 *  a value that cannot be read leaves its slot as it was. A file without a Gamma element
 *  sets slot 8 to 50 (gamma 1.0). A line longer than 255 bytes ends the scan. Numbers are
 *  read with a period as the decimal separator, whatever LC_NUMERIC the host has set.
 *  Prints one line on standard output when the scan ends normally.
 *
 *  @param path    file to read (NUL-terminated).
 *  @param method  1, 2, 10 or 11 to read that method's settings; -1 to ask for the method
 *                 only; any other code reads no setting.
 *  @param tmParam [in,out] the caller's block; not written in query mode (-1), where it may
 *                 be null.
 *  @return the number of bytes scanned (positive) when read;
 *          in query mode the file's method code: 1, 2, 10, 11, or 0 for a name it does not
 *          know (a file without method element gives the bytes scanned);
 *          -5 (LFTM_ERR_XMP_METHOD) when the file holds another method than the one requested (slots read before
 *             the method element keep their new values);
 *          -10 (LFTM_ERR_XMP_NO_NAMESPACE) when the file has no "xmlns:lftm=" declaration where it may be (also for an
 *             empty file);
 *          -1 when the file cannot be opened (or `path` is null) or a seek fails;
 *          -2 when a line cannot be read back whole (the file shrank while read).
 *  Any host thread may call it. */
LFTM_EXPORT int32_t parse_xmp(const char* path, int32_t method, TmParam* tmParam);

/** @} */

/** @addtogroup version
 *  @{ */

/** The version of the library that is loaded, for comparison with LFTM_VERSION of the header
 *  a host was built with. Never fails; any thread may call it.
 *  @return MAJOR x 1000000 + MINOR x 1000 + PATCH of the library (5000 for 0.5.0). */
LFTM_EXPORT int32_t lftm_version(void);

/** @} */

/** @addtogroup codes
 *  @{ */

/** A sentence for a result code, to show to people: what went wrong and what to do about it.
 *  Never fails; any thread may call it.
 *  @param code   a result of any function of this header.
 *  @param method the method of the run that returned `code` (LFTM_METHOD_TEXTURE_BOOSTER or
 *                LFTM_METHOD_RANGE_SQUEEZER), for the codes that mean something of their own
 *                there (-101 from calc_tm3 or tonemap, -1 from the Range Squeezer); 0 or any
 *                other value gives the general sentence.
 *  @return a static NUL-terminated English sentence, never null, not to be freed: "no error"
 *          for a code of 0 or more, a sentence saying so for a negative code that is not one
 *          of the result codes. */
LFTM_EXPORT const char* lftm_strerror(int32_t code, int32_t method);

/** @} */

#ifdef __cplusplus
}
#endif

#endif /* LFTM_H_ */
