#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

// Collects what is written to std::cout while it lives.
struct StdoutCapture {
  std::ostringstream buffer;
  std::streambuf* saved = std::cout.rdbuf(buffer.rdbuf());
  ~StdoutCapture() { std::cout.rdbuf(saved); }
  std::string text() const { return buffer.str(); }
};

// A fresh folder under the temp folder, removed with all it holds.
struct ScratchDir {
  std::string root =
      mkdtemp((std::filesystem::temp_directory_path() / "merger_XXXXXX").string().data());
  ~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
  }
  // Writes `bytes` exactly as given; returns the file's path.
  std::string write(const std::string& name, const std::string& bytes) const {
    std::ofstream(root + "/" + name, std::ios::binary) << bytes;
    return root + "/" + name;
  }
};
