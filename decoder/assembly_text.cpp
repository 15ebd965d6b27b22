#include "assembly_text.h"

#include <ostream>

std::ostream& operator<<(std::ostream& out, const TAssemblyText& text) {
    return out << text.View();
}
