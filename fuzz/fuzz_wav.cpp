// The WAV reader: any bytes either give false with a reason and no data, or samples that lie
// inside the file (a data chunk's bytes, one more for 8-bit data where the file has it).
#include <cstdlib>

#include "audio/openal.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  twav wav;
  std::string error;
  if (ParseWav(data, size, wav, &error)) {
    if (wav.size != wav.data.size() || wav.size + 44 > size) std::abort();
    if (!error.empty()) std::abort();
  } else if (!wav.data.empty() || wav.size != 0 || error.empty()) {
    std::abort();
  }
  return 0;
}
