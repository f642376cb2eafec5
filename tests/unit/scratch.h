#pragma once

#include "runtime/text.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

// A fresh folder for one test, removed with everything in it afterwards.
class scratch_folder {
public:
  scratch_folder() {
    static int serial = 0;
    auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    path_ = std::filesystem::temp_directory_path() /
            ("chaptersort-unit-" + std::to_string(stamp) + "-" + std::to_string(++serial));
    std::filesystem::create_directories(path_);
  }
  ~scratch_folder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  scratch_folder(const scratch_folder &) = delete;
  scratch_folder &operator=(const scratch_folder &) = delete;

  const std::filesystem::path &path() const { return path_; }

  // The path of an entry below the folder, as the program's texts hold it.
  text at(const std::string &name = "") const { return as_text(name.empty() ? path_ : path_ / name); }

  void write(const std::string &name, const std::string &content) const {
    std::filesystem::create_directories((path_ / name).parent_path());
    std::ofstream(path_ / name, std::ios::binary) << content;
  }

  std::string read(const std::string &name) const {
    std::ifstream in(path_ / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  static text as_text(const std::filesystem::path &path) { return path.u16string(); }

private:
  std::filesystem::path path_;
};
