// A BitReader opened on a file written into a private temporary folder.
#pragma once

#include <memory>
#include <string>

#include "bitstream/bit_reader.h"
#include "report/output.h"
#include "support/temp_files.h"

namespace test_support {

class OpenReader {
 public:
  OpenReader() : reader_(std::make_unique<BitReader>()), out_(std::make_unique<Output>()) {}
  ~OpenReader() { close_input(*reader_); }
  OpenReader(const OpenReader&) = delete;
  OpenReader& operator=(const OpenReader&) = delete;

  // Opens path; the reader keeps a pointer to the path, so it is held here.
  BitReader& open(const std::string& path) {
    path_ = path;
    open_input(*reader_, path_.c_str(), *out_);
    return *reader_;
  }

  BitReader& reader() { return *reader_; }
  Output& out() { return *out_; }

 private:
  std::unique_ptr<BitReader> reader_;
  std::unique_ptr<Output> out_;
  std::string path_;
};

}  // namespace test_support
