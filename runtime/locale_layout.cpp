#include "runtime/locale.h"

namespace rt {

void Locale::build_time_layouts(const IntlSettings&) {}
void Locale::build_short_date_layout(const char*) {}
void Locale::build_long_date_layout(const char*) {}

}  // namespace rt
