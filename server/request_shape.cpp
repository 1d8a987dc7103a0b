#include "server/request_shape.h"

namespace server {

std::size_t CountJsonValues(std::string_view body) {
    std::size_t values = 1;
    bool inString = false;
    bool escaped = false;
    for (const char c : body) {
        if (inString) {
            if (escaped)
                escaped = false;
            else if (c == '\\')
                escaped = true;
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == ',') {
            ++values;
        }
    }
    return values;
}

}  // namespace server
