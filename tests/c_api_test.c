// SPDX-License-Identifier: BSD-3-Clause
/* Uses the library from plain C through the public header only. */
#include <lftm.h>
#include <stdio.h>

int main(void) {
  TmParam p;
  TmFiles files;
  ImageDesc desc;
  if (tmparam_default(LFTM_METHOD_TEXTURE_BOOSTER, 0, &p) != 1) return 1;
  if (p.tmParam[1] != 70.0f || p.tmParam[16] != 1.0f) return 2;
  if (init_optim_param(&files) != 1 || files.threads != 0) return 3;
  if (init_dim_param(&desc) != 1 || desc.spp != 3 || desc.bits != 8) return 4;
  /* The library reports the project version it was built with; the header must say the same. */
  if (lftm_version() != LFTM_VERSION) {
    printf("library version %d, header version %d\n", (int)lftm_version(), (int)LFTM_VERSION);
    return 5;
  }
  /* The sentences are plain C strings the host neither owns nor frees. */
  if (lftm_strerror(LFTM_ERR_READ, 0)[0] == '\0') return 6;
  puts("C API ok");
  return 0;
}
