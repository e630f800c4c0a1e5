#include "app/message_structure.h"

#include "app/message_output.h"

namespace app {

void write_container_type(const Container& container) {
  write_line({"Content-Type: ", container.type, ";"});
  if (!container.root_type.empty()) write_line({"    type=\"", container.root_type, "\";"});
  write_line({"    boundary=\"", container.boundary(), "\""});
}

}  // namespace app
