// The options record and its bytes: one table gives every field's place in the 40 bytes.
#include "persist/options.h"

#include <type_traits>
#include <variant>

#include "base/files.h"

toptions Options = {};

namespace {
using Padding = uint8_t[3];
using FieldRef = std::variant<int32_t toptions::*, uint8_t toptions::*, double toptions::*, Padding toptions::*>;

struct OptionsField {
  size_t offset;
  FieldRef field;
};

// The file layout, little-endian. Together the fields cover all 40 bytes exactly.
const OptionsField OPTIONS_FIELDS[] = {
    {0, &toptions::screenWidth},  {4, &toptions::screenHeight},  {8, &toptions::colourDepth},
    {12, &toptions::fullScreen},  {13, &toptions::padding},      {16, &toptions::soundVolume},
    {24, &toptions::musicVolume}, {32, &toptions::particlesOff}, {33, &toptions::shadowsOff},
    {34, &toptions::keyLeft},     {35, &toptions::keyRight},     {36, &toptions::keyJump},
    {37, &toptions::keyChange},   {38, &toptions::keyUse},       {39, &toptions::tutorial},
};

}  // namespace

std::vector<uint8_t> EncodeOptions(const toptions &o) {
  std::vector<uint8_t> bytes(OPTIONS_FILE_SIZE, 0);
  for (const OptionsField &f : OPTIONS_FIELDS) {
    uint8_t *p = &bytes[f.offset];
    std::visit(
        [&](auto member) {
          using T = std::remove_reference_t<decltype(o.*member)>;
          if constexpr (std::is_same_v<T, const int32_t>)
            PutI32(p, o.*member);
          else if constexpr (std::is_same_v<T, const double>)
            PutF64(p, o.*member);
          else if constexpr (std::is_same_v<T, const uint8_t>)
            *p = o.*member;
          else
            for (size_t i = 0; i < sizeof(Padding); ++i) p[i] = (o.*member)[i];
        },
        f.field);
  }
  return bytes;
}

bool DecodeOptions(const uint8_t *data, size_t size, toptions &o) {
  if (size < OPTIONS_FILE_SIZE) return false;
  toptions read = {};
  for (const OptionsField &f : OPTIONS_FIELDS) {
    const uint8_t *p = data + f.offset;
    std::visit(
        [&](auto member) {
          using T = std::remove_reference_t<decltype(read.*member)>;
          if constexpr (std::is_same_v<T, int32_t>)
            read.*member = GetI32(p);
          else if constexpr (std::is_same_v<T, double>)
            read.*member = GetF64(p);
          else if constexpr (std::is_same_v<T, uint8_t>)
            read.*member = *p;
          else
            for (size_t i = 0; i < sizeof(Padding); ++i) (read.*member)[i] = p[i];
        },
        f.field);
  }
  o = read;
  return true;
}

void SetDefaultOptions() {
  Options.screenWidth = 1024;
  Options.screenHeight = 768;
  Options.colourDepth = 32;
  Options.fullScreen = 1;
}
