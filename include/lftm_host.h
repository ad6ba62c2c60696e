/* lftm: the host interface, for programs that embed the library.
 * SPDX-License-Identifier: BSD-3-Clause
 */

/**
 * @file lftm_host.h
 * @brief Tone mapping of images held in memory or in files, with progress, cancel,
 * routed messages and 64-bit sizes.
 *
 * These functions run the same stages as tonemap and tms: for the same image and settings
 * they give the same bits. An image in memory is taken as the OpenEXR reader would deliver
 * it (each pixel stored as Radiance RGBE), so tone mapping the pixels that lftm_read_image
 * returns for a Radiance or OpenEXR file gives exactly the output of tonemap or tms for that
 * file.
 *
 * Records carry their own size (`struct_size`, set by the init functions), so that a host
 * built with an older, shorter record keeps working with a newer library. Every function
 * returns 0 or a positive value on success and a negative result code (lftm.h, and the codes
 * below) on failure; lftm_strerror gives a sentence for each.
 *
 * Any number of host threads may call these functions at once on different images. Progress
 * and message callbacks of a call are called on the thread that made the call, never at the
 * same time as each other.
 */
#ifndef LFTM_HOST_H_
#define LFTM_HOST_H_

#include <stddef.h>
#include <stdint.h>

#include "lftm.h"

#ifdef __cplusplus
extern "C" {
#endif

/** @defgroup host Host interface
 *  @{ */

/** Result codes of the host interface (the others are in lftm.h). */
enum {
  LFTM_ERR_CANCELLED = -50,    /**< the progress callback or the cancel flag stopped the run;
                                    nothing was written and scratch files are removed */
  LFTM_ERR_ARGUMENT = -51,     /**< an unusable argument: null pointer, record size, sample
                                    type, channel count, stride or size that does not fit */
  LFTM_ERR_UNKNOWN_FORMAT = -52, /**< the file is none of Radiance, OpenEXR or TIFF */
  LFTM_ERR_SAME_FILE = -53,      /**< lftm_tonemap_file: the output names the input file
                                      (by any path or link); nothing was touched */
  LFTM_ERR_OUTPUT_EXISTS = -54,  /**< lftm_tonemap_file, lftm_check_output: a file that lftm
                                      did not write has the output's name; set `overwrite`
                                      to replace it */
  LFTM_ERR_OUTPUT_NOT_FILE = -55, /**< lftm_tonemap_file, lftm_check_output: the output's
                                       name is a folder, device, pipe or socket; it is never
                                       written into or replaced */
  LFTM_ERR_OUTPUT_READ_ONLY = -56, /**< lftm_tonemap_file, lftm_check_output: the output's
                                       name is a file the caller may not write */
  LFTM_ERR_SETTING_VALUE = -60,  /**< lftm_load_settings: a setting of the sidecar holds a
                                      value that cannot be read or is no finite number;
                                      lftm_save_settings: the block holds NaN or infinity */
  LFTM_ERR_NOT_SIDECAR = -61     /**< lftm_save_settings: the file exists and is not a
                                      settings sidecar (an image, a document, a folder);
                                      nothing was touched */
};

/** Flags of lftm_save_settings. */
enum {
  LFTM_SAVE_OVERWRITE = 1, /**< replace whatever file has the name, not only a sidecar */
  LFTM_SAVE_CHECK_ONLY = 2 /**< write nothing: only tell whether the file may be written */
};

/** Sample types of lftm_image. */
enum {
  LFTM_SAMPLE_FLOAT32 = 1, /**< 32-bit float, linear light (input of the tone mapping) */
  LFTM_SAMPLE_UINT8 = 2,   /**< 8-bit unsigned (output) */
  LFTM_SAMPLE_UINT16 = 3   /**< 16-bit unsigned, native byte order (output) */
};

/** File formats reported by lftm_read_info. */
enum {
  LFTM_FORMAT_RADIANCE = 1,   /**< Radiance RGBE (.hdr) */
  LFTM_FORMAT_OPENEXR = 2,    /**< OpenEXR (.exr) */
  LFTM_FORMAT_TIFF_16 = 3,    /**< TIFF with 8- or 16-bit integer samples */
  LFTM_FORMAT_TIFF_FLOAT = 4  /**< TIFF with floating-point samples */
};

/** Where the diagnostic lines of a call go (lftm_options.messages). */
enum {
  LFTM_MESSAGES_SILENT = 0,   /**< nowhere (the default of lftm_options_init) */
  LFTM_MESSAGES_STANDARD = 1, /**< standard output and standard error, as tonemap prints */
  LFTM_MESSAGES_CALLBACK = 2  /**< to lftm_options.message, one whole line per call */
};

/** A view of pixels owned by the host: interleaved samples, rows `row_stride` bytes apart. */
typedef struct lftm_image {
  uint32_t struct_size; /**< sizeof(lftm_image), set by lftm_image_init */
  int32_t sample_type;  /**< LFTM_SAMPLE_* */
  int32_t channels;     /**< 1 grey, 3 RGB, 4 RGBA (alpha last; tone mapping passes it
                             through, clamped to 0..1 and scaled to the output range) */
  int32_t reserved;     /**< 0 */
  int64_t width;        /**< pixels per row */
  int64_t height;       /**< rows */
  int64_t row_stride;   /**< bytes from one row to the next; 0: width x channels x sample
                             size (rows packed) */
  void* pixels;         /**< the first sample of the first row */
} lftm_image;

/** Progress of a call: `fraction` runs from 0 to 1 and never decreases; `step` names the
 *  current step in a few words. Return 0 to go on, any other value to cancel the call. */
typedef int32_t (*lftm_progress_fn)(void* user, float fraction, const char* step);

/** One diagnostic line of a call (without its newline); `stream` is 1 for what tonemap
 *  prints on standard output, 2 for standard error. */
typedef void (*lftm_message_fn)(void* user, int32_t stream, const char* line);

/** How a call runs. Fill it with lftm_options_init, then change what you need. */
typedef struct lftm_options {
  uint32_t struct_size;      /**< sizeof(lftm_options), set by lftm_options_init */
  int32_t method;            /**< LFTM_METHOD_TEXTURE_BOOSTER or LFTM_METHOD_RANGE_SQUEEZER */
  TmParam settings;          /**< the method's settings; lftm_options_init writes the
                                  defaults (tmparam_default of the method, variant 0) */
  int32_t threads;           /**< worker threads, 1..32; 0: one per processor, at most 32.
                                  Every count gives the same bits */
  int32_t disk;              /**< non-zero: the large planes live in scratch files in
                                  $TMPDIR (Texture Booster only; the same bits) */
  int32_t bits;              /**< output bits of lftm_tonemap_file: 8 or 16 (JPEG: 8) */
  int32_t jpeg_quality;      /**< lftm_tonemap_file, JPEG: 1..100; 0: 90 */
  SaveOptions save;          /**< lftm_tonemap_file: the writer options of tonemap */
  int32_t tiff_input;        /**< TIFF input: LFTM_EXT_TIF_LINEAR or LFTM_EXT_TIF_GAMMA;
                                  0: linear for 16-bit and float samples, gamma for 8-bit */
  int32_t messages;          /**< LFTM_MESSAGES_* */
  lftm_message_fn message;   /**< with LFTM_MESSAGES_CALLBACK */
  void* message_user;        /**< handed to `message` */
  lftm_progress_fn progress; /**< optional: called at least 20 times over a large image */
  void* progress_user;       /**< handed to `progress` */
  const volatile int32_t* cancel; /**< optional: the call stops with LFTM_ERR_CANCELLED
                                       soon after the host sets *cancel non-zero (from any
                                       thread) */
  int64_t memory_limit;      /**< bytes the call may use; 0: a third of the memory available
                                  when it starts. A call whose estimate passes a limit the
                                  host set is refused with LFTM_ERR_OVER_LIMIT (a message
                                  line gives both numbers); disk mode keeps
                                  in memory whatever the limit leaves beside its own buffers,
                                  and its output buffer too only when the limit holds it (the
                                  same bits). Added in 0.3: a record of 0.2, whose
                                  struct_size ends before it, counts as 0 */
  int32_t overwrite;         /**< lftm_tonemap_file: non-zero replaces an existing output
                                  file that lftm did not write (see lftm_check_output); 0
                                  refuses it with LFTM_ERR_OUTPUT_EXISTS. Added in 0.4: a
                                  record of 0.3, whose struct_size ends before it, counts as
                                  0 */
} lftm_options;

/** What lftm_read_info finds in a file. */
typedef struct lftm_file_info {
  uint32_t struct_size; /**< sizeof(lftm_file_info), set by the caller or lftm_read_info */
  int32_t format;       /**< LFTM_FORMAT_* */
  int64_t width;        /**< pixels per row */
  int64_t height;       /**< rows */
  int32_t channels;     /**< samples per pixel in the file */
  int32_t file_bits;    /**< bits per sample in the file (Radiance: 8 per RGBE byte) */
  int32_t ext_type;     /**< the LFTM_EXT_* kind tonemap and tms would be given */
  int32_t has_stats;    /**< 1 when the statistics below were measured (want_stats) */
  double log_min;       /**< natural log of the least non-zero luminance */
  double log_max;       /**< natural log of the largest luminance */
  double log_mean;      /**< mean of the log luminance */
  double lum_min;       /**< least non-zero luminance */
  double lum_max;       /**< largest luminance */
  double lum_geomean;   /**< geometric mean luminance */
} lftm_file_info;

/** Fills `options` with the defaults of `method`: default settings, threads 0, memory
 *  mode, 8 bits, JPEG quality 90, zero SaveOptions, silent messages, no callbacks.
 *  @param options [out] the record to fill.
 *  @param struct_size sizeof(lftm_options) as the host sees it.
 *  @param method LFTM_METHOD_TEXTURE_BOOSTER or LFTM_METHOD_RANGE_SQUEEZER.
 *  @return 0, or LFTM_ERR_ARGUMENT for a null record, a size that is too small or another
 *          method. */
LFTM_EXPORT int32_t lftm_options_init(lftm_options* options, size_t struct_size,
                                      int32_t method);

/** Fills `image` as a view of host pixels with packed rows (row_stride 0).
 *  @param image [out] the record to fill.
 *  @param struct_size sizeof(lftm_image) as the host sees it.
 *  @param sample_type LFTM_SAMPLE_*.
 *  @param channels 1, 3 or 4.
 *  @param width pixels per row, at least 1.
 *  @param height rows, at least 1.
 *  @param pixels the first sample; the host owns it.
 *  @return 0, or LFTM_ERR_ARGUMENT. */
LFTM_EXPORT int32_t lftm_image_init(lftm_image* image, size_t struct_size, int32_t sample_type,
                                    int32_t channels, int64_t width, int64_t height,
                                    void* pixels);

/** Tone maps `input` (LFTM_SAMPLE_FLOAT32, 1, 3 or 4 channels) into `output` (the same width,
 *  height and channels; LFTM_SAMPLE_UINT8 or LFTM_SAMPLE_UINT16 chooses 8- or 16-bit
 *  samples). As the OpenEXR reader takes a file's values: NaN and negative samples are taken
 *  as 0, +infinity as the largest finite value of the image (1 when it has none). `output`
 *  is written only when the call succeeds; a failed or cancelled call leaves it untouched.
 *  @param input [in] the HDR pixels.
 *  @param output [out] room for the tone-mapped pixels.
 *  @param options how to run; must not be null.
 *  @return 0, LFTM_ERR_CANCELLED, LFTM_ERR_ARGUMENT, or a code of tonemap / tms. */
LFTM_EXPORT int32_t lftm_tonemap_image(const lftm_image* input, lftm_image* output,
                                       const lftm_options* options);

/** Tone maps the file `in_path` (Radiance, OpenEXR or TIFF, found by content) into
 *  `out_path`: JPEG when the name ends in ".jpg" or ".jpeg" (any case; 8 bits), otherwise
 *  TIFF. The same file as tonemap or tms writes, written atomically as they do.
 *  @param in_path the HDR file.
 *  @param out_path the file to write.
 *  @param options how to run; must not be null.
 *  An output that is the input file itself, under any name, is refused before any work, and
 *  so is an output name that lftm_check_output refuses with `options->overwrite`. A file
 *  that is replaced keeps its permission bits.
 *  @return 0, LFTM_ERR_CANCELLED (out_path untouched), LFTM_ERR_SAME_FILE,
 *          LFTM_ERR_OUTPUT_EXISTS, LFTM_ERR_OUTPUT_NOT_FILE, LFTM_ERR_OUTPUT_READ_ONLY, an
 *          LFTM_ERR_INPUT_* cause (see lftm_check_input), LFTM_ERR_OVER_LIMIT,
 *          LFTM_ERR_TEMP_MISSING, LFTM_ERR_TEMP_NOT_WRITABLE, or a code of tonemap / tms. */
LFTM_EXPORT int32_t lftm_tonemap_file(const char* in_path, const char* out_path,
                                      const lftm_options* options);

/** Tells whether an image may be written at `path`, as lftm_tonemap_file and the
 *  command-line tool decide before any work. A file lftm wrote is known by what its writers
 *  store: the Software text ("lftm" unless the caller gave the writers another, w10 of
 *  tonemap and tms) in the EXIF block of a JPEG or the tags of a TIFF, or the embedded
 *  settings (the lftm namespace). Only the head of the file is read. tonemap and tms do not
 *  ask this: they replace any regular file the caller may write, and refuse the rest with
 *  LFTM_ERR_WRITER_CREATE.
 *  @param path the output's name.
 *  @param software the Software text given to the writers, or null for "lftm".
 *  @param overwrite non-zero: a regular file that lftm did not write may be replaced too.
 *  @return 0 nothing has that name, 1 a file that may be replaced (an output of lftm, or
 *          any writable regular file with `overwrite`), LFTM_ERR_OUTPUT_EXISTS,
 *          LFTM_ERR_OUTPUT_NOT_FILE, LFTM_ERR_OUTPUT_READ_ONLY (access(W_OK) fails; root
 *          may replace any file), or LFTM_ERR_ARGUMENT for a null path. */
LFTM_EXPORT int32_t lftm_check_output(const char* path, const char* software,
                                      int32_t overwrite);

/** Reads the size and kind of an HDR file without its pixels, and, when `want_stats` is
 *  non-zero, measures its luminance statistics (has_stats set to 1).
 *  @param path the HDR file.
 *  @param want_stats non-zero: read the pixels too and fill the statistics.
 *  @param info [out] struct_size set by the caller to sizeof(lftm_file_info).
 *  @return 0, an LFTM_ERR_INPUT_* cause (see lftm_check_input), LFTM_ERR_UNKNOWN_FORMAT,
 *          LFTM_ERR_ARGUMENT, or a reader's code. */
LFTM_EXPORT int32_t lftm_read_info(const char* path, lftm_file_info* info, int32_t want_stats);

/** Reads an HDR file into `output`: LFTM_SAMPLE_FLOAT32, 3 channels (grey files are
 *  repeated into R, G and B), the width and height that lftm_read_info gives, linear light.
 *  `options` may be null; its progress, cancel and messages are used.
 *  @param path the HDR file.
 *  @param output [out] the host's float buffer.
 *  @param options progress, cancel and messages, or null.
 *  @return 0, or a code as for lftm_read_info, or LFTM_ERR_CANCELLED. */
LFTM_EXPORT int32_t lftm_read_image(const char* path, lftm_image* output,
                                    const lftm_options* options);

/** Says why `path` cannot be read as an input image, before any reader opens it, so that a
 *  host can tell the cause to its user. Opening never blocks: a named pipe is refused, not
 *  waited on. The host functions that read a file make the same check first and return the
 *  same codes; tonemap, tms and qv_from_file refuse the same files with LFTM_ERR_INFO.
 *  Exported in the version node LFTM_3.
 *  @param path the file.
 *  @return 0 for a non-empty regular file that opens for reading; LFTM_ERR_INPUT_MISSING,
 *          LFTM_ERR_INPUT_NO_PERMISSION, LFTM_ERR_INPUT_FOLDER, LFTM_ERR_INPUT_NOT_REGULAR,
 *          LFTM_ERR_INPUT_CANNOT_OPEN (errno says why) or LFTM_ERR_INPUT_EMPTY; or
 *          LFTM_ERR_ARGUMENT for a null path. */
LFTM_EXPORT int32_t lftm_check_input(const char* path);

/** Saves a method's settings as a settings sidecar (the text of write_xmp), guarding what
 *  is there: an existing file is replaced only when it is a settings sidecar itself (a small
 *  text file, no image, in which parse_xmp finds the settings namespace), or when `flags`
 *  holds LFTM_SAVE_OVERWRITE. The file is written under a temporary name beside `path` and
 *  renamed onto it once complete, so `path` holds either the whole new sidecar or what it
 *  held before. Prints nothing.
 *  @param path the sidecar to write (NUL-terminated).
 *  @param method LFTM_METHOD_TEXTURE_BOOSTER, LFTM_METHOD_RANGE_SQUEEZER,
 *         LFTM_METHOD_BLEND_TUNE or LFTM_METHOD_BLEND_STRONG; not read with
 *         LFTM_SAVE_CHECK_ONLY.
 *  @param params [in] the settings, read during the call only; may be null with
 *         LFTM_SAVE_CHECK_ONLY.
 *  @param flags 0, or LFTM_SAVE_OVERWRITE and LFTM_SAVE_CHECK_ONLY or-ed together.
 *  @return 0 when written (with LFTM_SAVE_CHECK_ONLY: when it could be, that is nothing is
 *          there or a sidecar is); LFTM_ERR_NOT_SIDECAR; LFTM_ERR_ARGUMENT for a null path
 *          or block, another method or unknown flags; LFTM_ERR_SETTING_VALUE for a value the
 *          sidecar would hold as NaN or infinity; LFTM_ERR_FILE when the folder is missing or
 *          not writable, or `path` is a folder; LFTM_ERR_XMP_WRITE when the text could not be
 *          written whole (disk full); LFTM_ERR_NO_MEMORY.
 *  Any host thread may call it; two calls must not write the same file at once. */
LFTM_EXPORT int32_t lftm_save_settings(const char* path, int32_t method, const TmParam* params,
                                       int32_t flags);

/** Reads a settings sidecar strictly: every setting the file holds must be readable. Where
 *  parse_xmp keeps the default of a value it cannot read, this call refuses the file and
 *  says which setting is at fault, so that every host renders a sidecar alike or not at
 *  all. Prints nothing.
 *  @param path the sidecar (NUL-terminated).
 *  @param method [in,out] the method wanted (1, 2, 10 or 11), or 0 for the method the file
 *         names (LFTM_METHOD_TEXTURE_BOOSTER when it names none); receives the method read.
 *  @param params [out] tmparam_default of the method (variant 0) with the file's settings
 *         over it; written only when the call succeeds.
 *  @param message [out] optional (may be null): on failure one sentence that names the file
 *         and, for a bad value, the setting and its text; on success an empty string.
 *  @param message_size bytes at `message`; the sentence is cut to fit, NUL included.
 *  @return 0; LFTM_ERR_ARGUMENT for a null path, method or block, or a method the sidecar
 *          knows no settings of; LFTM_ERR_FILE when the file cannot be opened;
 *          LFTM_ERR_XMP_NO_NAMESPACE when it is no settings sidecar; LFTM_ERR_XMP_METHOD
 *          when it holds the settings of another method, or of one this library does not
 *          know; LFTM_ERR_SETTING_VALUE for a value that cannot be read or is no finite
 *          number (a gamma of 0 or less among them); LFTM_ERR_IO when it cannot be read
 *          whole.
 *  Any host thread may call it. */
LFTM_EXPORT int32_t lftm_load_settings(const char* path, int32_t* method, TmParam* params,
                                       char* message, size_t message_size);

/** @name Merging brackets (added in 0.5)
 *  Makes the HDR photograph from bracketed exposures of one scene: JPEG, PNG or 8/16-bit
 *  TIFF frames (grey or RGB, turned upright as their EXIF orientation says), of one size and
 *  depth, in any order. Each frame's relative exposure is time x ISO/100 / f-number^2 from
 *  its EXIF data, or the host gives the times. The camera response is recovered from the
 *  frames (the least-squares fit of Debevec and Malik over flat, well-spread pixels), taken
 *  as linear, or loaded from a curve saved earlier. Per pixel, the result is the mean of the
 *  frames' estimates weighted by how well each level measures light (clipped and black
 *  samples not at all) and by exposure (longer exposures hold less noise); a pixel clipped
 *  in every frame takes the shortest exposure's estimate, one black in every frame the
 *  longest's. Every value is finite and >= 0.
 *  Alignment (on by default) follows handheld frames to the middle exposure: a whole-pixel
 *  translation found by median threshold bitmaps over a pyramid (independent of exposure),
 *  refined to a fraction of a pixel and a small rotation by Gauss-Newton on the frames'
 *  grey ranks; a frame that moved by less than a twentieth of a pixel is left as it is.
 *  Failures also leave one sentence naming the file and the cause in
 *  lftm_merge_options.message and on the call's messages.
 *  @{ */

/** Result codes of merging. */
enum {
  LFTM_ERR_MERGE_TOO_FEW = -70,        /**< fewer than two frames */
  LFTM_ERR_MERGE_SIZE = -71,           /**< the frames differ in size or sample depth */
  LFTM_ERR_MERGE_NO_EXPOSURE = -72,    /**< a frame has no exposure time in its EXIF data
                                            and the host gave none */
  LFTM_ERR_MERGE_EXPOSURE_COUNT = -73, /**< the count of exposures given is not the count
                                            of frames */
  LFTM_ERR_MERGE_RESPONSE = -74,       /**< the response file is missing or no saved curve
                                            for frames of this depth, or the frames hold
                                            too little to recover one */
  LFTM_ERR_MERGE_OUTPUT_KIND = -75,    /**< lftm_merge_file: the output name ends in none
                                            of .exr, .hdr, .jpg, .jpeg, .tif, .tiff */
  LFTM_ERR_MERGE_LIBRARY = -76         /**< the frame reader library (lfframe) or the
                                            OpenEXR writer entry cannot be loaded */
};

/** Where the camera response comes from (lftm_merge_options.response). */
enum {
  LFTM_RESPONSE_RECOVER = 0, /**< recovered from the frames (the default) */
  LFTM_RESPONSE_LINEAR = 1,  /**< linear frames (e.g. 16-bit linear TIFF) */
  LFTM_RESPONSE_FILE = 2     /**< loaded from `response_path` */
};

/** How a merge runs. Fill it with lftm_merge_options_init, then change what you need. */
typedef struct lftm_merge_options {
  uint32_t struct_size;      /**< sizeof(lftm_merge_options), set by lftm_merge_options_init */
  int32_t response;          /**< LFTM_RESPONSE_* */
  const char* response_path; /**< with LFTM_RESPONSE_FILE: a curve written through
                                  `save_response` for frames of the same depth */
  const char* save_response; /**< optional: the curve used is saved there as plain text;
                                  a file already there is replaced only when it is a saved
                                  curve (else LFTM_ERR_OUTPUT_EXISTS) */
  const double* exposures;   /**< optional: each frame's exposure time in seconds, in the
                                  frames' order; overrides EXIF */
  int32_t exposure_count;    /**< values at `exposures`; must be the count of frames */
  char* message;             /**< optional: receives the sentence of a failure ("" else) */
  size_t message_size;       /**< bytes at `message`, NUL included */
  int32_t align;             /**< non-zero (the default): align every frame to the middle
                                  exposure before merging */
  int32_t deghost;           /**< non-zero: where a frame shows what the middle exposure
                                  does not (beyond what noise explains, where both measure
                                  the light), that region comes from the middle exposure,
                                  with soft edges; 0 (the default): every frame counts */
} lftm_merge_options;

/** Fills `merge` with the defaults: recovered response, exposures from EXIF, aligned, no
 *  message.
 *  (added in 0.5)
 *  @param merge [out] the record to fill.
 *  @param struct_size sizeof(lftm_merge_options) as the host sees it.
 *  @return 0, or LFTM_ERR_ARGUMENT for a null record or a size that is too small. */
LFTM_EXPORT int32_t lftm_merge_options_init(lftm_merge_options* merge, size_t struct_size);

/** Merges the frames into float radiance. `output` must be LFTM_SAMPLE_FLOAT32 with 3
 *  channels and the frames' upright size; with `output->pixels` null, the call only reads
 *  the frames' headers and writes that size into `output->width` and `output->height`.
 *  (added in 0.5)
 *  @param paths the frames' paths.
 *  @param count how many; at least 2.
 *  @param merge the merge's options, or null for the defaults.
 *  @param output [in,out] the host's float RGB buffer.
 *  @param options threads, progress, cancel and messages, or null.
 *  @return 0; LFTM_ERR_MERGE_*; an LFTM_ERR_INPUT_* cause or LFTM_ERR_SIB_OPEN,
 *          LFTM_ERR_SIB_LAYOUT or LFTM_ERR_SIB_DECODE (a damaged or cut frame) naming the
 *          frame; LFTM_ERR_FILE or LFTM_ERR_OUTPUT_EXISTS (the response cannot be
 *          saved); LFTM_ERR_ARGUMENT;
 *          LFTM_ERR_NO_MEMORY; LFTM_ERR_CANCELLED. */
LFTM_EXPORT int32_t lftm_merge_image(const char* const* paths, int32_t count,
                                     const lftm_merge_options* merge, lftm_image* output,
                                     const lftm_options* options);

/** Merges the frames into `out_path`: OpenEXR of 32-bit float RGB (ZIP-compressed) for
 *  ".exr", Radiance RGBE for ".hdr", or, for ".jpg", ".jpeg", ".tif" and ".tiff", the merge
 *  tone mapped as lftm_tonemap_file does with `options`. The tone-mapped file has the bytes
 *  lftm_tonemap_file writes for the ".exr" (or ".hdr") of the same merge. An output that is
 *  one of the frames is refused before any work; the output is written whole or not at all.
 *  (added in 0.5)
 *  @param paths the frames' paths.
 *  @param count how many; at least 2.
 *  @param merge the merge's options, or null for the defaults.
 *  @param out_path the file to write.
 *  @param options how to tone map and run; must not be null.
 *  @return 0, the codes of lftm_merge_image, LFTM_ERR_SAME_FILE, the output codes of
 *          lftm_tonemap_file, or a writer's code. */
LFTM_EXPORT int32_t lftm_merge_file(const char* const* paths, int32_t count,
                                    const lftm_merge_options* merge, const char* out_path,
                                    const lftm_options* options);

/** @} */

/** @} */

#ifdef __cplusplus
}
#endif

#endif /* LFTM_HOST_H_ */
