#pragma once

#include <nlohmann/json_fwd.hpp>
#include <string>

// Whether a fleet report read from a file is one FleetDocument::combine can
// take: every member it reads is there, of its type, each count a whole
// number in range, each site named once and each row naming sites of the
// document in their order. The members it only copies are left as they are.
namespace FleetShape {
// False, with the member that is wrong in `error`.
bool check(const nlohmann::ordered_json& document, std::string& error);
}  // namespace FleetShape
