#pragma once
// The message of the UserError a call raises, or "" when it raises none. Shared by the
// model and file tests.

#include "model/errors.h"

#include <string>

namespace kolmarin::test {

std::string errorOf(auto&& call) {
    try {
        call();
    } catch (const UserError& e) {
        return e.what();
    }
    return "";
}

} // namespace kolmarin::test
