// Throwing a message made at run time as the system throws all of its errors.
#include <tessel/message.h>

namespace {

// The one message in flight; a thrown pointer must outlive the scope that made it.
std::string kept;

}  // namespace

void throwMessage(const std::string& text) {
  kept = text;
  throw kept.c_str();
}
