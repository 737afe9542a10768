#pragma once

#include <array>

#include "ScreenId.h"
#include "ScreenManager.h"

namespace bench {

struct RecordScreen {
    ScreenId id;
    const char* name;
    ScreenManager::Factory factory;
};

// The four record screens with factories like those KorvaleApplication registers, in menu order.
std::array<RecordScreen, 4> recordScreens();

}  // namespace bench
