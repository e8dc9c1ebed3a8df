// The plug-in's settings file: section "TaskTray" of an ini file. A path
// that could not be built (empty) means no file at all: an empty path would
// name a file in the Windows folder.
#pragma once
#include <cstddef>
#include <cstdint>

class IniFile {
 public:
  explicit IniFile(const char* path) : path_(path != nullptr ? path : "") {}

  bool Usable() const { return path_[0] != '\0'; }
  const char* Path() const { return path_; }
  // The key's text; empty when the key or the file is missing.
  void ReadText(const char* key, char* value, size_t size) const;
  // The key as an integer, or `fallback` when it is missing.
  int32_t ReadInt(const char* key, int32_t fallback) const;
  // Writes the value as decimal text.
  void WriteInt(const char* key, int32_t value) const;
  void WriteText(const char* key, const char* value) const;

 private:
  const char* path_;
};
