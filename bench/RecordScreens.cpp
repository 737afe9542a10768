#include "RecordScreens.h"

#include "ADD_FORM.h"
#include "DELETE_FORM.h"
#include "SEARCH_FORM.h"
#include "UPDATE_FORM.h"

namespace bench {

namespace {

template <class T>
ScreenManager::Factory make() {
    return [](ScreenManager& screens) -> Screen* { return new T(screens); };
}

}  // namespace

std::array<RecordScreen, 4> recordScreens() {
    return {{
        {ScreenId::ADD_FORM, "ADD_FORM", make<ADD_FORM>()},
        {ScreenId::UPDATE_FORM, "UPDATE_FORM", make<UPDATE_FORM>()},
        {ScreenId::SEARCH_FORM, "SEARCH_FORM", make<SEARCH_FORM>()},
        {ScreenId::DELETE_FORM, "DELETE_FORM", make<DELETE_FORM>()},
    }};
}

}  // namespace bench
