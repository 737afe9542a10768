#pragma once

#include <span>

#include "app/ScreenId.h"
#include "app/ScreenManager.h"

// Every screen of the application, once: its id, its name and how to make it. The application
// registers these; the benchmark and the screenshot tool walk the same list.
struct ScreenEntry {
    ScreenId id;
    const char* name;
    ScreenManager::Factory factory;
};

std::span<const ScreenEntry> screenList();
// The four record screens the menu opens, in menu order: the end of the same list.
std::span<const ScreenEntry> recordScreens();
