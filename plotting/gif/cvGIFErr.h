// Failures of the picture codecs: the graphic-operation error (a GIF that cannot be read, written
// or changed), the invalid-graphic error (a bitmap that is not valid) and the silent abort (the
// user was told already, or cancelled: the caller ends without a message of its own).
#pragma once
#include <stdexcept>
#include <string>

class EInvalidGraphicOperation : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class EInvalidGraphic : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class EGraphicAbort : public std::runtime_error {
 public:
  EGraphicAbort() : std::runtime_error("Operation aborted") {}
};
