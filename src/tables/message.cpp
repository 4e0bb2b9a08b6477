#include "tables/message.h"

#include "platform/os.h"

namespace varrowmere {

void showMessage(const char* text, const char* caption) { showSystemMessage(text, caption); }

void showMessage(const std::string& text, const char* caption) {
  showSystemMessage(text.c_str(), caption);
}

}  // namespace varrowmere
