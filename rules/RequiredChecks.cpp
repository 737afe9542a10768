#include "rules/RequiredChecks.h"

#include <array>

namespace korvale::rules {

namespace {

constexpr const char* kNameEmpty = "customer name cannot be left empty";
constexpr const char* kAddressEmpty = "customer address cannot be left empty";
constexpr const char* kCustomerDobEmpty = "customer date of birth cannot be left empty";
// The work-telephone check has always said it without "customer".
constexpr const char* kDobEmpty = "date of birth cannot be left empty";
constexpr const char* kCategoryEmpty = "category cannot be left empty";

constexpr std::array kAddChecks{
    RequiredCheck{"Text2", "Text1", kNameEmpty},        RequiredCheck{"Text3", "Text2", kAddressEmpty},
    RequiredCheck{"Text4", "Text2", kAddressEmpty},     RequiredCheck{"Text5", "Text4", kCustomerDobEmpty},
    RequiredCheck{"Text6", "Text4", kDobEmpty},         RequiredCheck{"Text7", "Text4", kCustomerDobEmpty},
    RequiredCheck{"Text8", "Combo1", kCategoryEmpty},
};

// The updation screen checks the date when it is left instead of when it is entered.
constexpr std::array kUpdateChecks{
    RequiredCheck{"Text2", "Text1", kNameEmpty},    RequiredCheck{"Text3", "Text2", kAddressEmpty},
    RequiredCheck{"Text5", "Text4", kCustomerDobEmpty}, RequiredCheck{"Text6", "Text4", kDobEmpty},
    RequiredCheck{"Text7", "Text4", kCustomerDobEmpty}, RequiredCheck{"Text8", "Combo1", kCategoryEmpty},
};

}  // namespace

std::span<const RequiredCheck> addScreenChecks() { return kAddChecks; }
std::span<const RequiredCheck> updateScreenChecks() { return kUpdateChecks; }

}  // namespace korvale::rules
