#include "app/ScreenList.h"

#include <array>

#include "app/ENT_FRM.h"
#include "app/MENU_FORM.h"
#include "app/frmSplash.h"
#include "screens/ADD_FORM.h"
#include "screens/DELETE_FORM.h"
#include "screens/SEARCH_FORM.h"
#include "screens/UPDATE_FORM.h"

namespace {

template <class T>
ScreenManager::Factory make() {
    return [](ScreenManager& screens) -> Screen* { return new T(screens); };
}

}  // namespace

std::span<const ScreenEntry> screenList() {
    static const std::array<ScreenEntry, 7> screens{{
        {ScreenId::ENT_FRM, "ENT_FRM", make<ENT_FRM>()},
        {ScreenId::frmSplash, "frmSplash", make<frmSplash>()},
        {ScreenId::MENU_FORM, "MENU_FORM", make<MENU_FORM>()},
        {ScreenId::ADD_FORM, "ADD_FORM", make<ADD_FORM>()},
        {ScreenId::UPDATE_FORM, "UPDATE_FORM", make<UPDATE_FORM>()},
        {ScreenId::SEARCH_FORM, "SEARCH_FORM", make<SEARCH_FORM>()},
        {ScreenId::DELETE_FORM, "DELETE_FORM", make<DELETE_FORM>()},
    }};
    return screens;
}

std::span<const ScreenEntry> recordScreens() {
    return screenList().last(4);
}
