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
  const char* description;   /**< lftm_tonemap_file: the image description stored by the
                                  writers (w6 of tonemap), or null for none. Added in 0.5: a
                                  record of 0.4, whose struct_size ends before it, counts as
                                  null, as do the three fields below as 0 or null */
  const char* artist;        /**< lftm_tonemap_file: the artist stored by the writers (w7),
                                  or null */
  const char* copyright;     /**< lftm_tonemap_file: the copyright stored by the writers
                                  (w9), or null */
  int32_t jpeg_chroma_444;   /**< lftm_tonemap_file, JPEG: non-zero keeps full-resolution
                                  colour (w8 of tonemap) */
  int32_t reserved_05;       /**< 0 */
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

/** @name Run estimates
 *  What a run needs of the machine, the files it leaves, and the rules on file names, so
 *  that a host can plan runs and guard files as lftm_tonemap_file does.
 *  @{ */

/** The largest image, in pixels (width x height), that tonemap and tms take. */
#define LFTM_MAX_IMAGE_PIXELS 2147483647

/** Output formats of lftm_output_format. */
enum {
  LFTM_OUTPUT_NONE = 0, /**< the name ends in neither a JPEG nor a TIFF extension */
  LFTM_OUTPUT_JPEG = 1, /**< ".jpg" or ".jpeg", any case */
  LFTM_OUTPUT_TIFF = 2  /**< ".tif" or ".tiff", any case */
};

/** What lftm_estimate_run finds. Sizes are bytes; -1 where the system cannot say. */
typedef struct lftm_run_estimate {
  uint32_t struct_size;      /**< sizeof(lftm_run_estimate), set by the caller */
  int32_t too_large;         /**< 1 when the method refuses an image of this size */
  int64_t width;             /**< pixels per row */
  int64_t height;            /**< rows */
  int64_t memory;            /**< the run's peak memory (in disk mode within `budget`) */
  int64_t scratch;           /**< the scratch space of disk mode (0 in memory mode) */
  int64_t budget;            /**< the memory the run may take: options->memory_limit, or,
                                  when that is 0, a third of the memory available */
  int64_t memory_available;  /**< memory that can be had now (available memory and free
                                  swap) */
  int64_t scratch_free;      /**< free space in the scratch folder */
  int32_t scratch_problem;   /**< 0, LFTM_ERR_TEMP_MISSING or LFTM_ERR_TEMP_NOT_WRITABLE */
  int32_t reserved;          /**< 0 */
  char scratch_folder[4096]; /**< the folder of the scratch files ($TMPDIR, else /tmp) */
} lftm_run_estimate;

/** Estimates what lftm_tonemap_file would need for the file `path` with `options` (method,
 *  settings, bits, disk, TIFF encoding, memory_limit), reading only the file's header.
 *  (added in 0.5)
 *  @param path the HDR file.
 *  @param options how the run would go; must not be null.
 *  @param estimate [out] struct_size set by the caller to sizeof(lftm_run_estimate).
 *  @return 0, an LFTM_ERR_INPUT_* cause (see lftm_check_input), LFTM_ERR_UNKNOWN_FORMAT, a
 *          reader's or library load code, or LFTM_ERR_ARGUMENT.
 *  Any host thread may call it. */
LFTM_EXPORT int32_t lftm_estimate_run(const char* path, const lftm_options* options,
                                      lftm_run_estimate* estimate);

/** The output format a file name asks for, by its extension in any case; the rule of
 *  lftm_tonemap_file (which writes TIFF for any name that is not a JPEG one). tonemap and
 *  tms keep their own rule: JPEG for an 8-bit output whose last three characters are "jpg"
 *  or "JPG". (added in 0.5)
 *  @param path the output's name, or null.
 *  @return LFTM_OUTPUT_JPEG, LFTM_OUTPUT_TIFF or LFTM_OUTPUT_NONE. This function does not
 *          fail. */
LFTM_EXPORT int32_t lftm_output_format(const char* path);

/** Tells whether two names are one file: for files that exist, the same device and inode
 *  (hard and symbolic links, other spellings); otherwise the same absolute name once the
 *  folder part is resolved. (added in 0.5)
 *  @param a a path.
 *  @param b another path.
 *  @return 1 the same file, 0 not, LFTM_ERR_ARGUMENT for a null path. */
LFTM_EXPORT int32_t lftm_same_file(const char* a, const char* b);

/** Removes the files that calls running in this process have made and not yet finished
 *  with: the scratch files of disk mode and unfinished outputs. Meant for a signal handler
 *  that ends the process: it is async-signal-safe (no allocation, no lock, only unlink).
 *  Calls that are still running fail once their files are gone. (added in 0.5)
 *  @return the number of files removed. This function does not fail. */
LFTM_EXPORT int32_t lftm_remove_temporaries(void);

/** Routes the diagnostic lines of the whole process that no call routes itself (the
 *  classic functions, and host calls with LFTM_MESSAGES_STANDARD): each whole line goes to
 *  `message`, without its newline. A null `message` gives them back to standard output and
 *  standard error, after handing over any unfinished line. (added in 0.5)
 *  @param message the receiver, or null.
 *  @param user handed to `message`.
 *  @return 0. The receiver is called from any thread, one line at a time. It may call the
 *          library: the lines those calls print go to standard output and standard error.
 *          It must not call lftm_set_message_sink. */
LFTM_EXPORT int32_t lftm_set_message_sink(lftm_message_fn message, void* user);

/** @} */

/** @name Input diagnosis (added in 0.5)
 *  Why an input file cannot be read, with what was measured, so that a host can tell its
 *  user the cause in its own words before any reader allocates the image.
 *  @{ */

/** Result codes of lftm_diagnose_input (added in 0.5). */
enum {
  LFTM_ERR_INPUT_ORIENTATION = -4007, /**< the Radiance header stores its rows in another
                                           order than "-Y height +X width", the only one
                                           the readers take */
  LFTM_ERR_INPUT_TRUNCATED = -4008    /**< the file holds fewer bytes after its Radiance
                                           header than any encoding of the pixels it
                                           declares takes */
};

/** What a file that is no HDR image seems to be, by its first bytes
 *  (lftm_input_report.other_kind; added in 0.5). */
enum {
  LFTM_INPUT_KIND_UNKNOWN = 0, /**< none of the kinds below */
  LFTM_INPUT_KIND_TEXT = 1,    /**< text: no control character but tab, line and page breaks
                                    in its first 4096 bytes */
  LFTM_INPUT_KIND_PNG = 2,     /**< a PNG image */
  LFTM_INPUT_KIND_JPEG = 3,    /**< a JPEG image */
  LFTM_INPUT_KIND_GIF = 4,     /**< a GIF image */
  LFTM_INPUT_KIND_PDF = 5,     /**< a PDF document */
  LFTM_INPUT_KIND_ZIP = 6      /**< a ZIP archive (also office documents) */
};

/** What lftm_diagnose_input found (added in 0.5). Fields that the call did not measure are
 *  0 (strings empty). */
typedef struct lftm_input_report {
  uint32_t struct_size;      /**< sizeof(lftm_input_report), set by the caller */
  int32_t code;              /**< what the call returned */
  int32_t format;            /**< LFTM_FORMAT_RADIANCE, LFTM_FORMAT_OPENEXR or
                                  LFTM_FORMAT_TIFF_16 as lftm_file_format says, or 0 */
  int32_t other_kind;        /**< LFTM_INPUT_KIND_*, with LFTM_ERR_UNKNOWN_FORMAT */
  int32_t system_error;      /**< the errno value, with LFTM_ERR_INPUT_CANNOT_OPEN */
  int32_t reserved;          /**< 0 */
  int64_t file_bytes;        /**< the file's length */
  int64_t width;             /**< pixels per row declared by the resolution line */
  int64_t height;            /**< rows declared by the resolution line */
  int64_t data_bytes;        /**< bytes after the "-Y height +X width" line */
  int64_t least_data_bytes;  /**< the fewest bytes any encoding of the declared pixels takes:
                                  4 a pixel flat, or a 4-byte header a row and one 2-byte run
                                  per 127 pixels of each of the four components */
  char resolution_line[128]; /**< the Radiance resolution line as written (without its line
                                  feed): the "-Y height +X width" line, or else the first line
                                  of another orientation */
} lftm_input_report;

/** Says why `path` cannot be read as an input image, as lftm_check_input does, and looks
 *  further into the file: whether it is a Radiance, OpenEXR or TIFF file at all (and if not,
 *  what it seems to be), and for a Radiance file whether the readers take its resolution
 *  line and whether the file holds enough bytes for the pixels that line declares. Reads
 *  the Radiance header as the readers do and at most the first 4096 bytes of other files;
 *  never blocks; prints nothing. A file it passes may still be damaged: the readers tell.
 *  Any host thread may call it. (added in 0.5)
 *  @param path the file.
 *  @param report [out] struct_size set by the caller; filled with what was measured.
 *  @return 0; an LFTM_ERR_INPUT_* cause of lftm_check_input; LFTM_ERR_UNKNOWN_FORMAT (with
 *          other_kind) for a file of none of the three formats, a Radiance-named file
 *          among them when it holds neither the "#?" line nor a resolution line;
 *          LFTM_ERR_INPUT_ORIENTATION (with resolution_line); LFTM_ERR_TOO_LARGE for a
 *          declared size over LFTM_MAX_IMAGE_PIXELS (with width and height);
 *          LFTM_ERR_INPUT_TRUNCATED (with data_bytes and least_data_bytes); or
 *          LFTM_ERR_ARGUMENT for a null path or report or a smaller struct_size. */
LFTM_EXPORT int32_t lftm_diagnose_input(const char* path, lftm_input_report* report);

/** @} */

/** @} */

/** @defgroup photo Photos
 *  A photograph decoded once in the library's own form (RGBE planar bytes for Radiance,
 *  OpenEXR and float TIFF files; 16-bit samples for other TIFF files), which a host reduces
 *  to a preview, tone maps as often as it likes with other settings, and writes. This is
 *  how the command-line tool makes its previews and how its browser tuner renders.
 *  @{ */

/** Result codes of the photo functions (added in 0.5). */
enum {
  LFTM_ERR_PHOTO_TRUNCATED = -80, /**< the Radiance pixel data ends before the last row */
  LFTM_ERR_PHOTO_ROW_WIDTH = -81  /**< a run-length row of a Radiance file announces
                                       another width than its header */
};

/** A decoded photograph (added in 0.5): opaque, made by lftm_photo_open,
 *  lftm_photo_open_reduced, lftm_photo_reduce or lftm_photo_crop, released by
 *  lftm_photo_close. It is never changed once made, so any number of threads may read it. */
typedef struct lftm_photo lftm_photo;

/** What a photograph is (added in 0.5). */
typedef struct lftm_photo_info {
  uint32_t struct_size;  /**< sizeof(lftm_photo_info), set by the caller */
  int32_t format;        /**< LFTM_FORMAT_* */
  int32_t ext_type;      /**< the LFTM_EXT_* kind tonemap and tms would be given */
  int32_t width;         /**< pixels per row (of the reduced or cropped image) */
  int32_t height;        /**< rows */
  int32_t channels;      /**< samples per pixel of the decoded image and of its renders:
                              3 for RGBE, the TIFF's count (4 taken as 3, 2 as 1) */
  int32_t file_channels; /**< samples per pixel in the file (OpenEXR: colour channels) */
  int32_t file_bits;     /**< bits per sample in the file; 0 for Radiance */
  int32_t tiff_layout[4]; /**< TIFF: samples, bits, photometric and sample format as the TIFF
                               reader reports them, also when it refuses the layout */
  int32_t has_primaries; /**< 1 when the Radiance header names its primaries */
  float primaries[8];    /**< red, green, blue and white x, y */
  int32_t full_width;    /**< the whole photograph's width (a reduced one was made from) */
  int32_t full_height;   /**< the whole photograph's height */
  int32_t has_stats;     /**< lftm_photo_get_info with want_stats: 1 when a pixel has light */
  double log_min;        /**< natural log of the least non-zero luminance */
  double log_max;        /**< natural log of the largest luminance */
  double log_mean;       /**< mean of the log luminance */
} lftm_photo_info;

/** The format of a file by its first bytes (the extension only for a Radiance file without
 *  its "#?" line), without reading its header (added in 0.5). A TIFF file is reported as
 *  LFTM_FORMAT_TIFF_16 whatever its samples: only its header tells.
 *  @param path the file.
 *  @return LFTM_FORMAT_RADIANCE, LFTM_FORMAT_OPENEXR, LFTM_FORMAT_TIFF_16, or 0 when it
 *          cannot be read or is none of them. */
LFTM_EXPORT int32_t lftm_file_format(const char* path);

/** Reads the header of a photograph, not its pixels (added in 0.5).
 *  @param path the HDR file.
 *  @param tiff_input LFTM_EXT_TIF_LINEAR or LFTM_EXT_TIF_GAMMA, or 0: linear for 16-bit and
 *         float samples, gamma-encoded for 8-bit ones.
 *  @param info [out] struct_size set by the caller; also filled as far as it was read when
 *         the call fails (tiff_layout for a TIFF the reader refuses).
 *  @return 0, an LFTM_ERR_INPUT_* cause (see lftm_check_input), LFTM_ERR_UNKNOWN_FORMAT,
 *          LFTM_ERR_ARGUMENT, a sibling library's load code, LFTM_ERR_IO for a TIFF the
 *          reader cannot deliver, or LFTM_ERR_INFO. */
LFTM_EXPORT int32_t lftm_photo_probe(const char* path, int32_t tiff_input,
                                     lftm_photo_info* info);

/** Decodes a whole photograph (added in 0.5).
 *  @param path the HDR file.
 *  @param tiff_input as for lftm_photo_probe.
 *  @param photo [out] the new photograph, or null on failure.
 *  @return 0, a code of lftm_photo_probe, LFTM_ERR_TOO_LARGE, LFTM_ERR_NO_MEMORY,
 *          LFTM_ERR_PHOTO_TRUNCATED, LFTM_ERR_PHOTO_ROW_WIDTH, an LFTM_ERR_RGBE_* or sibling
 *          reader code, or LFTM_ERR_READ. */
LFTM_EXPORT int32_t lftm_photo_open(const char* path, int32_t tiff_input, lftm_photo** photo);

/** Decodes a photograph straight at a reduced size, as the quick view of a file (added in
 *  0.5): a Radiance file is reduced while it is read (qv_from_file), the others are decoded
 *  and reduced (extract_qv). The result is a photograph of its own: its statistics and the
 *  level of its TIFF samples are those of the reduced pixels.
 *  @param path the HDR file.
 *  @param tiff_input as for lftm_photo_probe.
 *  @param width pixels per row of the result, 5 to the photograph's width.
 *  @param height rows of the result, 5 to the photograph's height.
 *  @param photo [out] the new photograph, or null on failure.
 *  @return as lftm_photo_open, LFTM_ERR_TOO_SMALL for a photograph below 5 pixels a side, or
 *          LFTM_ERR_ARGUMENT (also for a size larger than the photograph's). */
LFTM_EXPORT int32_t lftm_photo_open_reduced(const char* path, int32_t tiff_input,
                                            int32_t width, int32_t height,
                                            lftm_photo** photo);

/** A reduced copy of a photograph by the quick view (extract_qv) (added in 0.5). It is
 *  tone mapped as the whole photograph is: the Range Squeezer uses the whole photograph's
 *  statistics, and TIFF samples keep the whole photograph's level.
 *  @param photo [in] the photograph.
 *  @param width pixels per row of the copy, 5 to the photograph's width.
 *  @param height rows of the copy, 5 to the photograph's height.
 *  @param reduced [out] the new photograph, or null on failure.
 *  @return 0, LFTM_ERR_ARGUMENT or LFTM_ERR_NO_MEMORY. */
LFTM_EXPORT int32_t lftm_photo_reduce(const lftm_photo* photo, int32_t width, int32_t height,
                                      lftm_photo** reduced);

/** A window of a photograph at full resolution (added in 0.5), tone mapped with the whole
 *  photograph's statistics: the Range Squeezer gives the window's pixels of the whole
 *  result.
 *  @param photo [in] the photograph.
 *  @param x first column; the window lies inside the photograph.
 *  @param y first row.
 *  @param width pixels per row of the window, at least 5.
 *  @param height rows of the window, at least 5.
 *  @param window [out] the new photograph, or null on failure.
 *  @return 0, LFTM_ERR_ARGUMENT or LFTM_ERR_NO_MEMORY. */
LFTM_EXPORT int32_t lftm_photo_crop(const lftm_photo* photo, int32_t x, int32_t y,
                                    int32_t width, int32_t height, lftm_photo** window);

/** Tells what a photograph is (added in 0.5).
 *  @param photo [in] the photograph.
 *  @param want_stats non-zero: measure the log-luminance range of its pixels too.
 *  @param info [out] struct_size set by the caller.
 *  @return 0 or LFTM_ERR_ARGUMENT. */
LFTM_EXPORT int32_t lftm_photo_get_info(const lftm_photo* photo, int32_t want_stats,
                                        lftm_photo_info* info);

/** Tone maps a photograph into 8-bit samples (added in 0.5), in memory with the stages the
 *  drivers run: the method, settings, threads, messages, cancel and progress of `options`.
 *  @param photo [in] the photograph.
 *  @param options how to run; must not be null (disk, bits and the writer fields unused).
 *  @param output [out] LFTM_SAMPLE_UINT8, the photograph's width, height and channels.
 *  @return 0, LFTM_ERR_CANCELLED (output incomplete), LFTM_ERR_ARGUMENT, LFTM_ERR_NO_MEMORY,
 *          LFTM_ERR_TOO_SMALL (Texture Booster, below 10 pixels a side, as the drivers) or a
 *          code of the stages or of tm_simple. */
LFTM_EXPORT int32_t lftm_photo_render(const lftm_photo* photo, const lftm_options* options,
                                      lftm_image* output);

/** The photograph as it is, before tone mapping (added in 0.5): exposed so that its
 *  geometric mean luminance (of its statistics) lands on middle grey, with a 2.2 gamma.
 *  @param photo [in] the photograph.
 *  @param output [out] LFTM_SAMPLE_UINT8, 3 channels, the photograph's width and height.
 *  @return 0 or LFTM_ERR_ARGUMENT. */
LFTM_EXPORT int32_t lftm_photo_render_exposure(const lftm_photo* photo, lftm_image* output);

/** Releases a photograph (added in 0.5); null is ignored.
 *  @param photo the photograph.
 *  @return 0. */
LFTM_EXPORT int32_t lftm_photo_close(lftm_photo* photo);

/** Writes 8-bit samples through the library's writers (added in 0.5): JPEG when the name
 *  ends in ".jpg" or ".jpeg" (any case), otherwise TIFF, with the method and settings of
 *  `options` embedded as tonemap embeds them, written under a temporary name and renamed when
 *  whole.
 *  @param path the file to write.
 *  @param image [in] LFTM_SAMPLE_UINT8, 1 or 3 channels.
 *  @param options method, settings, jpeg_quality, save and overwrite (see
 *         lftm_check_output); must not be null.
 *  @return 0, LFTM_ERR_ARGUMENT, LFTM_ERR_TOO_LARGE (more than 2^31 - 1 rows or samples
 *          in a row), LFTM_ERR_OUTPUT_EXISTS, a sibling library's load code or a writer's
 *          code. */
LFTM_EXPORT int32_t lftm_write_image(const char* path, const lftm_image* image,
                                     const lftm_options* options);

/** @name Settings table (added in 0.5)
 *  The settings of each method as the settings sidecar names and holds them, so that a host
 *  can build its settings controls and read and show values exactly as the library, the
 *  command-line tool, the tuner and the Python module do. Numbers are written and read with
 *  a period whatever the locale. These functions keep no state and print nothing; any host
 *  thread may call them at any time.
 *  @{ */

/** Kinds of setting (lftm_setting_info.kind). */
enum {
  LFTM_SETTING_NUMBER = 1,    /**< a number, stored in `slot` as it is given */
  LFTM_SETTING_GAMMA = 2,     /**< a gamma value g > 0 (1 leaves the tones as they are);
                                   `slot` holds the slider 50 (1 - log2 g) */
  LFTM_SETTING_CHOICE = 3,    /**< one of `choices`; `slot` holds its index (an integer) */
  LFTM_SETTING_YES_NO = 4,    /**< "No" or "Yes" (also "0" or "1"); `slot` holds 0 or 1 */
  LFTM_SETTING_SMOOTHING = 5  /**< under SmoothingMode "Light" one of `choices` (the
                                   preset, in `slot`), under "Slider" a number (in
                                   `number_slot`); giving either selects its mode */
};

/** Ways of writing a number (the `decimals` of lftm_format_number and lftm_setting_text). */
enum {
  LFTM_TEXT_SHORTEST = -1,  /**< the fewest decimals (0 to 9) that read back as the same
                                 float ("55.55", not "55.549999"), as values are shown */
  LFTM_TEXT_AS_SIDECAR = -2 /**< lftm_setting_text only: the setting's `decimals`, as the
                                 sidecar writes it */
};

/** Flags of lftm_setting_parse and lftm_setting_fit. */
enum {
  LFTM_SETTING_INTO_RANGE = 1, /**< bring a number outside minimum..maximum to the nearer
                                    end (the value as the user sees it, the gamma value for
                                    Gamma) */
  LFTM_SETTING_AS_STORED = 2   /**< keep a number only as precisely as the sidecar stores it:
                                    `decimals` digits behind the period, the gamma as a
                                    gamma value */
};

/** One setting of a method. Fill `struct_size` and call lftm_setting_describe. */
typedef struct lftm_setting_info {
  uint32_t struct_size;  /**< sizeof(lftm_setting_info), set by the caller */
  int32_t kind;          /**< LFTM_SETTING_* */
  const char* name;      /**< the sidecar element, which the tool takes as --name; static */
  int32_t slot;          /**< the TmParam slot of its value (Gamma: the slider; Smoothing:
                              the preset) */
  int32_t number_slot;   /**< the slot of its number (Smoothing: the slider), or -1 for a
                              setting that is only ever a word */
  int32_t decimals;      /**< digits the sidecar keeps behind the period */
  float minimum;         /**< the range the tool fits a number into, as the user sees it
                              (Gamma: the gamma value); no range when equal to maximum */
  float maximum;         /**< see minimum */
  float default_value;   /**< the value of `slot` after tmparam_default (variant 0) */
  int32_t choice_count;  /**< words of a choice (Smoothing: its presets); 0 for numbers */
  const char* const* choices; /**< `choice_count` static words, index = slot value */
} lftm_setting_info;

/** The method's name as the sidecar writes it ("Texture Booster", "Range Squeezer",
 *  "Blend/Tune", "Blend/Strong").
 *  @param method LFTM_METHOD_*.
 *  @return a static string, or null for a method that has no settings. */
LFTM_EXPORT const char* lftm_settings_method_name(int32_t method);

/** The number of settings of a method; their indices run from 0, in the order the tool
 *  lists them.
 *  @param method LFTM_METHOD_*.
 *  @return the count, or LFTM_ERR_ARGUMENT for a method that has no settings. */
LFTM_EXPORT int32_t lftm_settings_count(int32_t method);

/** Describes one setting.
 *  @param method LFTM_METHOD_*.
 *  @param index 0 .. lftm_settings_count(method) - 1.
 *  @param info [out] struct_size set by the caller; every field is filled.
 *  @return 0, or LFTM_ERR_ARGUMENT for another method or index, a null record or a
 *          struct_size smaller than this version's record. */
LFTM_EXPORT int32_t lftm_setting_describe(int32_t method, int32_t index,
                                          lftm_setting_info* info);

/** Finds a setting by name. Names match as in the sidecar, case and all, unless `any_case`
 *  is non-zero (ASCII letters only, whatever the locale), as the tool's options do.
 *  @param method LFTM_METHOD_*.
 *  @param name the setting's name (NUL-terminated).
 *  @param any_case non-zero: ignore the case of letters.
 *  @return the setting's index, or LFTM_ERR_ARGUMENT for a null name, another method or a
 *          name the method has no setting of. */
LFTM_EXPORT int32_t lftm_setting_find(int32_t method, const char* name, int32_t any_case);

/** Writes a number as the settings text does: "%.Nf" of the C locale for `decimals` N, or
 *  LFTM_TEXT_SHORTEST (a value too small for nine decimals takes the shortest scientific
 *  form, "1e-10"). NaN and infinity are written "nan", "-nan", "inf" and "-inf".
 *  @param value the number.
 *  @param decimals 0 to 20, or LFTM_TEXT_SHORTEST.
 *  @param text [out] room for the text and its NUL; 64 bytes always suffice.
 *  @param text_size bytes at `text`.
 *  @return the length of the text, or LFTM_ERR_ARGUMENT (nothing written) for a null or
 *          too small buffer or other decimals. */
LFTM_EXPORT int32_t lftm_format_number(float value, int32_t decimals, char* text,
                                       size_t text_size);

/** Reads a number written as the settings text writes it: the whole text must be one
 *  number (leading white space allowed; a period for the decimals whatever the locale;
 *  decimal or "0x" hexadecimal, "inf", "infinity" or "nan"). Values beyond the float range
 *  become infinity or 0.
 *  @param text the number (NUL-terminated).
 *  @param value [out] the number; written only on success.
 *  @return 0; LFTM_ERR_SETTING_VALUE for text that is not one number; LFTM_ERR_ARGUMENT for
 *          a null pointer. */
LFTM_EXPORT int32_t lftm_parse_number(const char* text, float* value);

/** Writes a setting of a block as the sidecar does: its word, or its number (the gamma
 *  value for Gamma) with `decimals`.
 *  @param method LFTM_METHOD_*.
 *  @param index the setting.
 *  @param params [in] the block.
 *  @param decimals LFTM_TEXT_AS_SIDECAR, LFTM_TEXT_SHORTEST or 0 to 20.
 *  @param text [out] room for the text and its NUL; 64 bytes always suffice.
 *  @param text_size bytes at `text`.
 *  @return 1 when the text is a number, 2 when it is a word, or LFTM_ERR_ARGUMENT (nothing
 *          written) for a null pointer, another method or index, other decimals or a buffer
 *          that is too small. */
LFTM_EXPORT int32_t lftm_setting_text(int32_t method, int32_t index, const TmParam* params,
                                      int32_t decimals, char* text, size_t text_size);

/** Reads a setting's value from text into a block, as the tool reads its options: a number
 *  that is the whole text (a period for the decimals, whatever the locale; finite; a gamma
 *  above 0) or one of the setting's words in any case. A Smoothing preset word selects the
 *  Light mode, a Smoothing number the Slider mode.
 *  @param method LFTM_METHOD_*.
 *  @param index the setting.
 *  @param text the value (NUL-terminated).
 *  @param params [in,out] the block; changed only on success.
 *  @param flags 0, or LFTM_SETTING_INTO_RANGE and LFTM_SETTING_AS_STORED or-ed together,
 *         applied to the number read.
 *  @return 0; 1 when the number was brought into the range; LFTM_ERR_SETTING_VALUE for text
 *          that is no value of the setting; LFTM_ERR_ARGUMENT for a null pointer, another
 *          method, index or unknown flags. */
LFTM_EXPORT int32_t lftm_setting_parse(int32_t method, int32_t index, const char* text,
                                       TmParam* params, int32_t flags);

/** Applies `flags` to the number a block holds for a setting now, as the tool does with
 *  every setting of a sidecar it reads. A setting held as a word is left as it is.
 *  @param method LFTM_METHOD_*.
 *  @param index the setting.
 *  @param params [in,out] the block.
 *  @param flags LFTM_SETTING_INTO_RANGE and LFTM_SETTING_AS_STORED or-ed together, or 0.
 *  @return 0; 1 when the number was brought into the range; LFTM_ERR_SETTING_VALUE (block
 *          untouched) for NaN or infinity; LFTM_ERR_ARGUMENT for a null block, another
 *          method, index or unknown flags. */
LFTM_EXPORT int32_t lftm_setting_fit(int32_t method, int32_t index, TmParam* params,
                                     int32_t flags);

/** Replaces a block by what parse_xmp reads back from the sidecar that write_xmp writes for
 *  it, so that rendering the block gives exactly the image its saved sidecar gives: each
 *  setting at the sidecar's precision, every slot the sidecar does not hold at the method's
 *  default (tmparam_default, variant 0). Values are not checked.
 *  @param method LFTM_METHOD_*.
 *  @param params [in,out] the block.
 *  @return 0, or LFTM_ERR_ARGUMENT for a null block or a method that has no settings;
 *          LFTM_ERR_NO_MEMORY. */
LFTM_EXPORT int32_t lftm_settings_as_stored(int32_t method, TmParam* params);

/** @} */

/** @} */

/** @addtogroup host
 *  @{ */

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
  const char* save_response; /**< optional: the curve used is saved there as plain text,
                                  once the merge (and lftm_merge_file's output) succeeded;
                                  a file already there is replaced only when it is a saved
                                  curve (else LFTM_ERR_OUTPUT_EXISTS, before any work) */
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

/** Merges frames that the host holds in memory into float radiance, as lftm_merge_image
 *  merges files. Each frame is LFTM_SAMPLE_UINT8 or LFTM_SAMPLE_UINT16 with 1 (grey), 3 (RGB)
 *  or 4 (RGBA; alpha is ignored) channels, camera-encoded as it came from the camera, and all
 *  are of one size and sample type. Frames in memory carry no EXIF data: `merge` must give
 *  every frame's exposure (`exposures`, `exposure_count`). `output` is as for
 *  lftm_merge_image (null pixels: only its size is written). Failures name the frame by its
 *  place ("frame 2").
 *  (added in 0.5)
 *  @param frames the frames.
 *  @param count how many; at least 2.
 *  @param merge the merge's options with the exposures; null gives LFTM_ERR_MERGE_NO_EXPOSURE.
 *  @param output [in,out] the host's float RGB buffer.
 *  @param options threads, progress, cancel and messages, or null.
 *  @return 0; LFTM_ERR_MERGE_TOO_FEW, LFTM_ERR_MERGE_SIZE, LFTM_ERR_MERGE_NO_EXPOSURE,
 *          LFTM_ERR_MERGE_EXPOSURE_COUNT, LFTM_ERR_MERGE_RESPONSE; LFTM_ERR_FILE or
 *          LFTM_ERR_OUTPUT_EXISTS (the response cannot be saved); LFTM_ERR_ARGUMENT (a frame
 *          of another sample type or a bad view); LFTM_ERR_NO_MEMORY; LFTM_ERR_CANCELLED. */
LFTM_EXPORT int32_t lftm_merge_frames(const lftm_image* frames, int32_t count,
                                      const lftm_merge_options* merge, lftm_image* output,
                                      const lftm_options* options);

/** Groups a run of frames into brackets, for merging many sets at once. With
 *  `frames_per_set` N > 0, every N consecutive frames are one set (the last may be
 *  shorter). With 0, the frames' EXIF data decides: they are taken in capture-time order
 *  (DateTimeOriginal, SubSecTimeOriginal when present; the given order when a frame has no
 *  capture time), and a new set starts when an exposure of the current set comes again
 *  (within a sixth of a stop: the camera began the next bracket) or after a pause of more
 *  than 2 seconds between the end of one timed exposure and the start of the next. A frame that
 *  cannot be read continues the current set (merging that set then fails, naming it).
 *  (added in 0.5)
 *  @param paths the frames' paths.
 *  @param count how many; at least 1.
 *  @param frames_per_set N, or 0 for grouping by capture time and exposure pattern.
 *  @param set_of_frame [out] `count` values: the set of each frame, numbered from 0 in
 *         capture order.
 *  @return the number of sets; LFTM_ERR_ARGUMENT; LFTM_ERR_MERGE_LIBRARY (the frame reader
 *          cannot be loaded); LFTM_ERR_NO_MEMORY. */
LFTM_EXPORT int32_t lftm_merge_sets(const char* const* paths, int32_t count,
                                    int32_t frames_per_set, int32_t* set_of_frame);

/** Merges the frames into `out_path`: OpenEXR of 32-bit float RGB (lossless PIZ
 *  compression) for ".exr", Radiance RGBE for ".hdr", or, for ".jpg", ".jpeg", ".tif" and
 *  ".tiff", the merge tone mapped as lftm_tonemap_file does with `options`. The tone-mapped
 *  file has the bytes lftm_tonemap_file writes for the ".exr" (or ".hdr") of the same merge.
 *  An output that is one of the frames is refused before any work; the output is written
 *  whole or not at all.
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
