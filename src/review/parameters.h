// The fitted parameters in exameo.ini: "[review] parameters=" and 21 numbers separated by
// commas. Without the key the defaults are used; a value that is not 21 numbers within their
// bounds is ignored (the reader is told, to warn once) and the defaults are used.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "review/fsrs.h"

namespace review {

struct ParametersRead {
  Parameters params = kDefaultParameters;
  bool fitted = false;   // the file's own parameters are used
  bool ignored = false;  // the file has a value that could not be used
};
ParametersRead ReadParameters(std::string_view ini);

// The value: the 21 numbers, each written so that it reads back exactly.
std::string FormatParameters(const Parameters& p);
// The whole file `ini` with the parameters set in [review], every other line kept.
std::string IniWithParameters(std::string_view ini, const Parameters& p);

}  // namespace review
