// SPDX-License-Identifier: BSD-3-Clause
/* A program built against an installed lftm: tone maps an image into a TIFF through the
 * public header and the shared library only. */
#include <lftm.h>
#include <lftm_host.h>
#include <stdio.h>

int main(int argc, char** argv) {
  TmParam params;
  TmFiles files;
  ImageDesc desc;
  int32_t rc;
  FILE* out;
  lftm_file_info info;
  if (argc != 3) {
    fprintf(stderr, "usage: %s INPUT.hdr OUTPUT.tif\n", argv[0]);
    return 2;
  }
  /* The installed header and the library that was found must be one version. */
  if (lftm_version() != LFTM_VERSION) {
    fprintf(stderr, "library version %d, header version %d\n", (int)lftm_version(),
            (int)LFTM_VERSION);
    return 1;
  }
  /* The host interface reads the input's size from the same library. */
  info.struct_size = sizeof info;
  rc = lftm_read_info(argv[1], &info, 0);
  if (rc != 0) {
    fprintf(stderr, "lftm_read_info returned %d: %s\n", (int)rc, lftm_strerror(rc, 0));
    return 1;
  }
  tmparam_default(LFTM_METHOD_RANGE_SQUEEZER, 0, &params);
  init_optim_param(&files);
  init_dim_param(&desc);
  files.inFile = argv[1];
  /* The TIFF writer is a sibling library, loaded from the installed tree. */
  rc = tms(100, &desc, &params, 0, NULL, 0, 0, 0, 0, 0, NULL, &files, argv[2]);
  if (rc != 1) {
    fprintf(stderr, "tms returned %d\n", (int)rc);
    return 1;
  }
  out = fopen(argv[2], "rb");
  if (out == NULL) {
    fprintf(stderr, "no output %s\n", argv[2]);
    return 1;
  }
  fclose(out);
  if (desc.width != info.width || desc.height != info.height) {
    fprintf(stderr, "lftm_read_info gave another size than tms\n");
    return 1;
  }
  printf("consumer: lftm %d wrote %s (%dx%d)\n", (int)lftm_version(), argv[2], (int)desc.width,
         (int)desc.height);
  return 0;
}
