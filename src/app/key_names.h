// Short names of Windows virtual-key codes, written only with what the font can draw.
#pragma once
#include <cstdint>
#include <string>

// "a", "7", "space", "shift", "f1", ... "none" for 0 (a binding no key can press) and "key"
// followed by the code for keys without a name of their own.
std::string KeyName(uint8_t code);
