#include "sim/state_file.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace zl::sim {

namespace {

constexpr const char* kMagic = "zeta7-sim state 1";
constexpr std::size_t kFlashLineBytes = 32;

int HexValue(char c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  if (c >= 'A' && c <= 'F') {
    return c - 'A' + 10;
  }
  if (c >= 'a' && c <= 'f') {
    return c - 'a' + 10;
  }
  return -1;
}

bool ParseNumber(const std::string& text, int base, unsigned long max, unsigned long& value) {
  if (text.empty()) {
    return false;
  }
  char* end = nullptr;
  value = std::strtoul(text.c_str(), &end, base);
  return end != nullptr && *end == '\0' && value <= max;
}

}  // namespace

std::string StateText(const Device& device) {
  std::ostringstream out;
  out << kMagic << "\n";
  out << "serial " << device.config.serialNumber << "\n";
  out << "loader " << device.config.loaderVersion << "\n";
  out << "device-type " << static_cast<unsigned>(device.config.logicDeviceType) << "\n";
  out << "ues " << device.epld.Ues() << "\n";
  for (std::size_t r = 0; r < EpldModel::kRows; ++r) {
    out << "row " << r << " " << device.epld.Row(r) << "\n";
  }
  const auto& bytes = device.flash.Bytes();
  for (std::size_t at = 0; at < bytes.size(); at += kFlashLineBytes) {
    bool erased = true;
    for (std::size_t i = at; i < at + kFlashLineBytes; ++i) {
      erased = erased && bytes[i] == 0xFF;
    }
    if (erased) {
      continue;
    }
    char head[32];
    std::snprintf(head, sizeof head, "flash %07X ", static_cast<unsigned>(FlashModel::kBase + at));
    out << head;
    for (std::size_t i = at; i < at + kFlashLineBytes; ++i) {
      char pair[3];
      std::snprintf(pair, sizeof pair, "%02X", bytes[i]);
      out << pair;
    }
    out << "\n";
  }
  return out.str();
}

bool ParseState(const std::string& text, Device& device, std::string& error) {
  Device next;
  next.config = device.config;
  std::istringstream in(text);
  std::string line;
  if (!std::getline(in, line) || line != kMagic) {
    error = "not a zeta7-sim state file";
    return false;
  }
  int number = 1;
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') {
      line.pop_back();
    }
    if (line.empty()) {
      continue;
    }
    std::istringstream fields(line);
    std::string key, a, b;
    fields >> key >> a >> b;
    const auto bad = [&](const std::string& why) {
      error = "line " + std::to_string(number) + ": " + why;
      return false;
    };
    unsigned long value = 0;
    if (key == "serial") {
      if (a.size() != 8 && a.size() != 10) {
        return bad("the serial number must have 8 or 10 characters");
      }
      next.config.serialNumber = a;
    } else if (key == "loader") {
      if (!ParseNumber(a, 10, 0xFFFF, value)) {
        return bad("bad loader version");
      }
      next.config.loaderVersion = static_cast<std::uint16_t>(value);
    } else if (key == "device-type") {
      if (!ParseNumber(a, 10, 0xFF, value)) {
        return bad("bad device type");
      }
      next.config.logicDeviceType = static_cast<std::uint8_t>(value);
    } else if (key == "ues") {
      if (!IsBitText(a, EpldModel::kUesLength)) {
        return bad("the signature must be 120 characters 0/1");
      }
      next.epld.SetUes(a);
    } else if (key == "row") {
      if (!ParseNumber(a, 10, EpldModel::kRows - 1, value) ||
          !IsBitText(b, EpldModel::kRowLength)) {
        return bad("a row is its number and 240 characters 0/1");
      }
      next.epld.SetRow(value, b);
    } else if (key == "flash") {
      if (!ParseNumber(a, 16, 0xFFFFFFFF, value) || b.empty() || b.size() % 2 != 0 ||
          !FlashModel::Contains(static_cast<std::uint32_t>(value), b.size() / 2)) {
        return bad("a flash line is an address inside the flash and pairs of hex digits");
      }
      const std::size_t offset = value - FlashModel::kBase;
      for (std::size_t i = 0; i < b.size(); i += 2) {
        const int hi = HexValue(b[i]);
        const int lo = HexValue(b[i + 1]);
        if (hi < 0 || lo < 0) {
          return bad("bad hex digit");
        }
        next.flash.Bytes()[offset + i / 2] = static_cast<std::uint8_t>(hi * 16 + lo);
      }
    } else {
      return bad("unknown entry '" + key + "'");
    }
  }
  device = std::move(next);
  return true;
}

bool LoadState(const std::string& path, Device& device, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot read " + path;
    return false;
  }
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) {
    error = "cannot read " + path;
    return false;
  }
  if (!ParseState(text.str(), device, error)) {
    error = path + ": " + error;
    return false;
  }
  return true;
}

bool SaveState(const std::string& path, const Device& device, std::string& error) {
  const std::string temporary = path + ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out << StateText(device);
    out.close();
    if (!out) {
      error = "cannot write " + temporary;
      std::remove(temporary.c_str());
      return false;
    }
  }
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    error = "cannot replace " + path;
    std::remove(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace zl::sim
