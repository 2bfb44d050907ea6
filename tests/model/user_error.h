#pragma once
// The message of the UserError a call raises, or "" when it raises none.

#include "model/errors.h"

#include <string>

namespace kolmarin::testing {

std::string errorOf(auto&& call) {
    try {
        call();
    } catch (const UserError& e) {
        return e.what();
    }
    return "";
}

} // namespace kolmarin::testing
