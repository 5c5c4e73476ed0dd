#include "settings/security_settings.h"

#include <exception>
#include <memory>
#include <optional>
#include <string_view>

#include "orka/errors/error.h"
#include "orka/files/safe_write.h"
#include "orka/streams/file_stream.h"

namespace {

constexpr std::string_view kHeader = "TolvaneSecurity 1";

// Every field with its name and range, so that reading and writing agree.
// A field is a number or an on/off flag (0 or 1 in the file).
struct Field {
  const char* name;
  uint32_t min;
  uint32_t max;
  uint32_t SecuritySettings::*number;
  bool SecuritySettings::*flag;

  uint32_t get(const SecuritySettings& s) const { return number ? s.*number : uint32_t{s.*flag}; }
  void set(SecuritySettings& s, uint32_t value) const {
    if (number)
      s.*number = value;
    else
      s.*flag = value != 0;
  }
};

constexpr Field numberField(const char* name, uint32_t min, uint32_t max,
                            uint32_t SecuritySettings::*number) {
  return {name, min, max, number, nullptr};
}
constexpr Field flagField(const char* name, bool SecuritySettings::*flag) {
  return {name, 0, 1, nullptr, flag};
}

const Field kFields[] = {
    numberField("idleMinutes", 0, SecuritySettings::kMaxIdleMinutes, &SecuritySettings::idleMinutes),
    flagField("lockOnMinimize", &SecuritySettings::lockOnMinimize),
    flagField("lockOnSessionLock", &SecuritySettings::lockOnSessionLock),
    flagField("clearClipboard", &SecuritySettings::clearClipboard),
    flagField("strongNewDocuments", &SecuritySettings::strongNewDocuments),
    flagField("hideFromCapture", &SecuritySettings::hideFromCapture),
    flagField("lockOnSuspend", &SecuritySettings::lockOnSuspend),
    flagField("keepOffRecent", &SecuritySettings::keepOffRecent),
    flagField("clipboardTimer", &SecuritySettings::clipboardTimer),
    numberField("clipboardSeconds", SecuritySettings::kMinClipboardSeconds,
                SecuritySettings::kMaxClipboardSeconds, &SecuritySettings::clipboardSeconds),
    flagField("keepRecoveryCopy", &SecuritySettings::keepRecoveryCopy),
};

// Decimal digits only, from `min` to `max`.
std::optional<uint32_t> parseNumber(std::string_view text, uint32_t min, uint32_t max) {
  if (text.empty() || text.size() > 9) return std::nullopt;
  uint32_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<uint32_t>(c - '0');
  }
  if (value < min || value > max) return std::nullopt;
  return value;
}

// The record the text describes, or nothing when it is damaged.
std::optional<SecuritySettings> parse(std::string_view text) {
  SecuritySettings settings;
  bool first = true;
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (first) {
      if (line != kHeader) return std::nullopt;
      first = false;
      continue;
    }
    if (line.empty()) continue;
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    const std::string_view name = line.substr(0, equals);
    for (const Field& field : kFields) {
      if (name != field.name) continue;
      std::optional<uint32_t> value = parseNumber(line.substr(equals + 1), field.min, field.max);
      if (!value) return std::nullopt;
      field.set(settings, *value);
    }
  }
  if (first) return std::nullopt;
  return settings;
}

}  // namespace

bool SecuritySettings::operator==(const SecuritySettings& other) const {
  for (const Field& field : kFields)
    if (field.get(*this) != field.get(other)) return false;
  return true;
}

std::string SecuritySettings::pathBeside(const std::string& settingsPath) {
  const size_t slash = settingsPath.find_last_of("\\/");
  return (slash == std::string::npos ? std::string() : settingsPath.substr(0, slash + 1)) + kFileName;
}

bool SecuritySettings::load(const std::string& path) {
  *this = SecuritySettings();
  try {
    orka::FileReadStream in(path);
    const uint32_t size = in.size();
    if (size > kMaxFileBytes) return false;
    std::string text(size, '\0');
    if (size != 0 && in.read(text.data(), size) != size) return false;
    std::optional<SecuritySettings> read = parse(text);
    if (!read) return false;
    *this = *read;
    return true;
  } catch (const orka::Error&) {
  } catch (const std::exception&) {
  }
  return false;
}

bool SecuritySettings::save(const std::string& path) const {
  std::string text(kHeader);
  text += '\n';
  for (const Field& field : kFields)
    text += std::string(field.name) + "=" + std::to_string(field.get(*this)) + "\n";
  try {
    orka::writeFileSafely(path, [&](std::unique_ptr<orka::FileWriteStream> out) {
      out->write(text.data(), static_cast<uint32_t>(text.size()));
      out->flush(true);
      return std::unique_ptr<orka::DataWriteStream>(std::move(out));
    });
    return true;
  } catch (const orka::Error&) {
  } catch (const std::exception&) {
  }
  return false;
}
