// The options record and its 40-byte file "options.zop".
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct toptions {
  int32_t screenWidth;
  int32_t screenHeight;
  int32_t colourDepth;
  uint8_t fullScreen;
  uint8_t padding[3];  // written back as held
  double soundVolume;
  double musicVolume;  // edited and saved; nothing plays music
  uint8_t particlesOff;
  uint8_t shadowsOff;
  uint8_t keyLeft;  // Windows virtual-key codes; 0 can never be pressed
  uint8_t keyRight;
  uint8_t keyJump;
  uint8_t keyChange;
  uint8_t keyUse;
  uint8_t tutorial;
};

constexpr size_t OPTIONS_FILE_SIZE = 40;

extern toptions Options;

void SetDefaultOptions();
// Reads the player's options.zop from the settings folder, else the shipped one of the data
// folder; a missing, unreadable or short file counts as missing, and with neither the window
// fields get their defaults.
void LoadOptions();
// Writes the settings folder's file through a temporary and a rename; a failure is reported in
// a message box and returns false. A settings folder the player was told is unusable is skipped.
bool SaveOptions();

// Field-by-field image of the record. Decode fails on fewer than 40 bytes.
std::vector<uint8_t> EncodeOptions(const toptions &o);
bool DecodeOptions(const uint8_t *data, size_t size, toptions &o);
