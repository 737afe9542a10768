#pragma once

// The seven screens of the application, each with one instance for the whole run.
enum class ScreenId { ENT_FRM, frmSplash, MENU_FORM, ADD_FORM, UPDATE_FORM, SEARCH_FORM, DELETE_FORM };
