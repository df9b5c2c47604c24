#include "bridge/readers.h"
namespace bridge {
bool ReadDocx(const Source&, std::string_view, Bank*, Report*, lang::Text*) { return false; }
}
