#include "support/RecordedCall.h"

#include <cmath>
#include <sstream>

std::string ToString(const RecordedCall& call) {
    std::ostringstream text;
    text << call.name << '(';
    for (std::size_t i = 0; i < call.args.size(); ++i) {
        const double value = call.args[i];
        if (i > 0) {
            text << ", ";
        }
        if (value == std::floor(value) && std::fabs(value) < 1e15) {
            text << static_cast<long long>(value);
        } else {
            text << value;
        }
    }
    text << ')';
    if (call.object != nullptr) {
        text << " @" << call.object;
    }
    return text.str();
}

void PrintTo(const RecordedCall& call, std::ostream* out) {
    *out << ToString(call);
}
