// Byte images of the skeleton, animation and weapon files, field by field and little-endian.
#include <algorithm>

#include "actors/models.h"
#include "base/files.h"

namespace {

tvector GetVector(const uint8_t *p) { return {GetF64(p), GetF64(p + 8)}; }
void PutVector(uint8_t *p, tvector v) {
  PutF64(p, v.x);
  PutF64(p + 8, v.y);
}

// Room for a name in a weapon record; a longer length byte can only be damage.
constexpr size_t kNameRoom = 200;

std::string GetShortString(const uint8_t *p) {
  size_t n = std::min<size_t>(p[0], kNameRoom);
  return std::string(reinterpret_cast<const char *>(p + 1), n);
}
void PutShortString(uint8_t *p, const std::string &s) {
  size_t n = std::min(s.size(), kNameRoom);
  p[0] = static_cast<uint8_t>(n);
  std::copy(s.begin(), s.begin() + static_cast<std::ptrdiff_t>(n), p + 1);
}

}  // namespace

std::vector<tguypart> DecodeGuyParts(const uint8_t *data, size_t size) {
  std::vector<tguypart> parts;
  size_t count = size / GUYPART_RECORD_SIZE;
  parts.reserve(count);
  for (size_t r = 0; r < count; ++r) {
    const uint8_t *p = data + r * GUYPART_RECORD_SIZE;
    tguypart part{};
    part.visible = p[0];
    for (int c = 0; c < 4; ++c) part.colour[c] = GetF64(p + 8 + 8 * c);
    part.parentid = GetI32(p + 40);
    part.id = GetI32(p + 44);
    part.angle = GetF64(p + 48);
    part.tag = static_cast<char>(p[56]);
    part.corner1 = GetVector(p + 64);
    part.corner2 = GetVector(p + 80);
    part.offset = GetVector(p + 96);
    part.pivot = GetVector(p + 112);
    parts.push_back(part);
  }
  return parts;
}

std::vector<uint8_t> EncodeGuyParts(const std::vector<tguypart> &parts) {
  std::vector<uint8_t> bytes(parts.size() * GUYPART_RECORD_SIZE, 0);
  for (size_t r = 0; r < parts.size(); ++r) {
    const tguypart &part = parts[r];
    uint8_t *p = bytes.data() + r * GUYPART_RECORD_SIZE;
    p[0] = part.visible;
    for (int c = 0; c < 4; ++c) PutF64(p + 8 + 8 * c, part.colour[c]);
    PutI32(p + 40, part.parentid);
    PutI32(p + 44, part.id);
    PutF64(p + 48, part.angle);
    p[56] = static_cast<uint8_t>(part.tag);
    PutVector(p + 64, part.corner1);
    PutVector(p + 80, part.corner2);
    PutVector(p + 96, part.offset);
    PutVector(p + 112, part.pivot);
  }
  return bytes;
}

bool DecodeAnimation(const uint8_t *data, size_t size, int32_t partcount, tanim &anim) {
  if (size < 8 || partcount < 0) return false;
  tanim result;
  result.length = GetF64(data);
  const size_t values = static_cast<size_t>(partcount) + 2;
  const size_t frameBytes = (values + 1) * 8;
  size_t pos = 8;
  // A key frame cut short by the end of the file is dropped.
  while (size - pos >= frameBytes) {
    tframe frame;
    frame.time = GetF64(data + pos);
    frame.values.resize(values);
    for (size_t i = 0; i < values; ++i) frame.values[i] = GetF64(data + pos + 8 + 8 * i);
    result.frames.push_back(std::move(frame));
    pos += frameBytes;
  }
  anim = std::move(result);
  return true;
}

std::vector<uint8_t> EncodeAnimation(const tanim &anim) {
  size_t doubles = 1;
  for (const tframe &f : anim.frames) doubles += 1 + f.values.size();
  std::vector<uint8_t> bytes(doubles * 8);
  uint8_t *p = bytes.data();
  PutF64(p, anim.length);
  p += 8;
  for (const tframe &f : anim.frames) {
    PutF64(p, f.time);
    p += 8;
    for (double v : f.values) {
      PutF64(p, v);
      p += 8;
    }
  }
  return bytes;
}

std::vector<tweaponfile> DecodeWeapons(const uint8_t *data, size_t size) {
  std::vector<tweaponfile> records;
  size_t count = size / WEAPON_RECORD_SIZE;
  records.reserve(count);
  for (size_t r = 0; r < count; ++r) {
    const uint8_t *p = data + r * WEAPON_RECORD_SIZE;
    tweaponfile rec;
    tweapon &w = rec.weapon;
    w = tweapon{};
    w.rate = GetF64(p + 0);
    w.speed = GetF64(p + 8);
    w.spread = GetF64(p + 16);
    w.damage = GetF64(p + 24);
    w.range = GetF64(p + 32);
    w.noise = GetF64(p + 40);
    w.pellets = GetI32(p + 48);
    w.pickupammo = GetI32(p + 52);
    w.maxammo = GetI32(p + 56);
    w.clip = GetI32(p + 60);
    w.pierce = GetI32(p + 64);
    w.iconrow = p[68];
    rec.textureFile = GetShortString(p + 69);
    rec.fireSoundFile = GetShortString(p + 270);
    rec.reloadSoundFile = GetShortString(p + 471);
    w.name = GetShortString(p + 672);
    w.semiauto = p[873];
    w.longgrip = p[874];
    w.ejectonfire = p[875];
    w.ejectonreload = p[876];
    records.push_back(std::move(rec));
  }
  return records;
}

std::vector<uint8_t> EncodeWeapons(const std::vector<tweaponfile> &records) {
  std::vector<uint8_t> bytes(records.size() * WEAPON_RECORD_SIZE, 0);
  for (size_t r = 0; r < records.size(); ++r) {
    const tweaponfile &rec = records[r];
    const tweapon &w = rec.weapon;
    uint8_t *p = bytes.data() + r * WEAPON_RECORD_SIZE;
    PutF64(p + 0, w.rate);
    PutF64(p + 8, w.speed);
    PutF64(p + 16, w.spread);
    PutF64(p + 24, w.damage);
    PutF64(p + 32, w.range);
    PutF64(p + 40, w.noise);
    PutI32(p + 48, w.pellets);
    PutI32(p + 52, w.pickupammo);
    PutI32(p + 56, w.maxammo);
    PutI32(p + 60, w.clip);
    PutI32(p + 64, w.pierce);
    p[68] = w.iconrow;
    PutShortString(p + 69, rec.textureFile);
    PutShortString(p + 270, rec.fireSoundFile);
    PutShortString(p + 471, rec.reloadSoundFile);
    PutShortString(p + 672, w.name);
    p[873] = w.semiauto;
    p[874] = w.longgrip;
    p[875] = w.ejectonfire;
    p[876] = w.ejectonreload;
  }
  return bytes;
}
