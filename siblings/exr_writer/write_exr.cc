// SPDX-License-Identifier: BSD-3-Clause
// lfexr_write: float RGB pixels into an OpenEXR file of 32-bit float channels, PIZ-compressed
// (lossless, so that reading it back gives the same values), marked as lftm's own output.
// PIZ rather than ZIP: on merged radiance, whose low mantissa bits are noise, it makes the
// smaller file in about half the time.
#include <ImfChannelList.h>
#include <ImfFrameBuffer.h>
#include <ImfHeader.h>
#include <ImfOutputFile.h>
#include <ImfStringAttribute.h>
#include <ImfThreading.h>

#include <exception>

#include "imageio/frame_sibling_api.h"

extern "C" int32_t lfexr_write(const char* path, int32_t width, int32_t height, const float* rgb,
                               int32_t threads) {
  if (path == nullptr || rgb == nullptr || width < 1 || height < 1) return LFTM_ERR_WRITER_ARGS;
  // Blocks of rows are compressed side by side; the file's bytes do not depend on the count.
  Imf::setGlobalThreadCount(threads > 1 ? threads : 0);
  Imf::Header header(width, height);
  header.compression() = Imf::PIZ_COMPRESSION;
  // The mark by which lftm knows the file as its own output and may replace it.
  header.insert("software", Imf::StringAttribute("lftm"));
  const char* names[3] = {"R", "G", "B"};
  Imf::FrameBuffer frame;
  const size_t xStride = 3 * sizeof(float);
  const size_t yStride = xStride * static_cast<size_t>(width);
  for (int k = 0; k < 3; ++k) {
    header.channels().insert(names[k], Imf::Channel(Imf::FLOAT));
    char* base = reinterpret_cast<char*>(const_cast<float*>(rgb + k));
    frame.insert(names[k], Imf::Slice(Imf::FLOAT, base, xStride, yStride));
  }
  try {
    Imf::OutputFile file(path, header);
    file.setFrameBuffer(frame);
    file.writePixels(height);
  } catch (const std::exception&) {
    return LFTM_ERR_WRITER_IO;
  }
  return 1;
}
