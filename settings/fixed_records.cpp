#include "settings/fixed_records.h"

namespace qm {

LogFontRecord MakeFont(const char* face, int32_t height, int32_t weight) {
  LogFontRecord f{};
  f.lfHeight = height;
  f.lfWeight = weight;
  f.SetFaceName(face);
  return f;
}

}  // namespace qm
