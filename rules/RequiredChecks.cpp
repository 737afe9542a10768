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

using C = Column;

// Entering the home telephone also checks that the date of birth reads as a date.
constexpr std::array kAddChecks{
    RequiredCheck{C::address, C::Name, kNameEmpty},
    RequiredCheck{C::email_id, C::address, kAddressEmpty},
    RequiredCheck{C::dob, C::address, kAddressEmpty},
    RequiredCheck{C::H_PHONE, C::dob, kCustomerDobEmpty, true},
    RequiredCheck{C::W_PHONE, C::dob, kDobEmpty},
    RequiredCheck{C::cell_no, C::dob, kCustomerDobEmpty},
    RequiredCheck{C::remarks, C::CATEGORY, kCategoryEmpty},
};

// The updation screen checks the date when it is left instead of when it is entered.
constexpr std::array kUpdateChecks{
    RequiredCheck{C::address, C::Name, kNameEmpty},
    RequiredCheck{C::email_id, C::address, kAddressEmpty},
    RequiredCheck{C::H_PHONE, C::dob, kCustomerDobEmpty},
    RequiredCheck{C::W_PHONE, C::dob, kDobEmpty},
    RequiredCheck{C::cell_no, C::dob, kCustomerDobEmpty},
    RequiredCheck{C::remarks, C::CATEGORY, kCategoryEmpty},
};

}  // namespace

std::span<const RequiredCheck> addScreenChecks() {
    return kAddChecks;
}
std::span<const RequiredCheck> updateScreenChecks() {
    return kUpdateChecks;
}

}  // namespace korvale::rules
