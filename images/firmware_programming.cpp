#include "images/firmware_programming.h"

#include <algorithm>
#include <vector>

#include "images/image_files.h"
#include "images/srecord.h"
#include "link/loader_commands.h"
#include "platform/errors.h"
#include "platform/text_file.h"

namespace zl {

namespace {

constexpr std::size_t kLineLimit = 256;

constexpr const char* kErasing = "Firmware: Erasing Flash ...";
constexpr const char* kEraseFailed = "Firmware: Erasing Flash ... failed!";
constexpr const char* kProgramming = "Firmware: Programming Flash ...";
constexpr const char* kProgramFailed = "Firmware: Programming Flash ... failed!";
constexpr const char* kProgramPassed = "Firmware: Programming Flash ... passed!";

// One line of the image as it will be programmed: the padded data of a data
// record (empty for a line without data) and the file position after it.
struct ImageLine {
  std::uint32_t address = 0;
  std::vector<std::uint8_t> data;
  std::uint32_t positionAfter = 0;
};

struct Image {
  std::uint32_t length = 0;
  std::vector<ImageLine> lines;
  std::size_t badLine = 0;  // 1-based number of the first invalid line; 0 if none
};

// Reads and decodes the whole file. Stops at the first line that is not a
// valid record, including those the reader refuses with an exception.
Image ReadImage(TextFile& file) {
  Image image;
  image.length = static_cast<std::uint32_t>(file.Length());
  std::string text;
  SRecordData data{};
  while (file.ReadLine(text, kLineLimit)) {
    ImageLine line;
    int count = -1;
    try {
      count = ParseSRecord(text, line.address, data);
    } catch (const InvalidArgumentError&) {
      count = -1;
    }
    if (count < 0) {
      image.badLine = image.lines.size() + 1;
      return image;
    }
    if (count > 0) {
      line.data.assign(data.begin(), data.begin() + count);
      while (line.data.size() % 4 != 0) {
        line.data.push_back(0xFF);
      }
    }
    line.positionAfter = static_cast<std::uint32_t>(file.Position());
    image.lines.push_back(std::move(line));
  }
  return image;
}

std::string FormatPercentage(const std::string& format, unsigned percentage) {
  std::string text;
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] == '%' && i + 1 < format.size() && format[i + 1] == 'u') {
      text += std::to_string(percentage);
      ++i;
    } else if (format[i] == '%' && i + 1 < format.size() && format[i + 1] == '%') {
      text.push_back('%');
      ++i;
    } else {
      text.push_back(format[i]);
    }
  }
  return text;
}

}  // namespace

void ShowProgress(const std::string& format, StatusLine& status, std::uint32_t total,
                  std::uint32_t done, ProgressMemory& memory) {
  if (total == 0) {
    return;  // a file that grew while it was read; there is no percentage to show
  }
  const auto percentage = static_cast<std::uint16_t>(done * 100u / total);
  if (percentage == memory.lastShown) {
    return;
  }
  memory.lastShown = percentage;
  status.SetStatusText(FormatPercentage(format, percentage));
}

ResultCode ProgramFirmware(LoaderLink& link, std::uint16_t version, StatusLine& status,
                           ProgressMemory& progress) {
  Image image;
  {
    TextFile file;
    if (!file.Open(ImageFilePath(kFirmwareBaseName, version))) {
      return kErrImageFile;
    }
    image = ReadImage(file);
  }
  if (image.badLine != 0) {
    status.SetStatusText("Firmware: Invalid image file (line " + std::to_string(image.badLine) +
                         ")!");
    return kErrImageFile;
  }
  // A file without a single data record (an empty one, say) would leave
  // blank sectors behind a validity marker, which the loader would then
  // start as firmware; refuse it before anything is erased.
  const bool hasData = std::any_of(image.lines.begin(), image.lines.end(),
                                   [](const ImageLine& line) { return !line.data.empty(); });
  if (!hasData) {
    status.SetStatusText("Firmware: Invalid image file (no data records)!");
    return kErrImageFile;
  }

  status.SetStatusText(kErasing);
  for (const std::uint32_t sector : kFirmwareSectors) {
    const ResultCode result = LoaderEraseSector(link, sector);
    if (result != kOk) {
      status.SetStatusText(kEraseFailed);
      return result;
    }
  }

  status.SetStatusText(kProgramming);
  std::uint32_t unused = 0;
  for (const ImageLine& line : image.lines) {
    ResultCode result = kOk;
    if (!line.data.empty()) {
      result = LoaderProgramMemory(link, line.address, static_cast<std::uint16_t>(line.data.size()),
                                   line.data.data(), unused);
      if (result != kOk) {
        status.SetStatusText(kProgramFailed);
      }
    }
    ShowProgress(kFirmwareProgressFormat, status, image.length, line.positionAfter, progress);
    if (result != kOk) {
      status.SetStatusText(kProgramFailed);
      return result;
    }
  }

  const ResultCode result = LoaderProgramMemory(link, kFirmwareMarkerAddress,
                                                sizeof kFirmwareMarker, kFirmwareMarker, unused);
  status.SetStatusText(result == kOk ? kProgramPassed : kProgramFailed);
  return result;
}

}  // namespace zl
