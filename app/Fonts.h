#pragma once

// The screens name the faces they were designed with ("Bookman Old Style", "Monotype Corsiva", "Arial",
// "MS Sans Serif"). Debian ships none of them; this maps each to the closest installed face and makes
// "MS Sans Serif" 8.25 pt the application's default font.
//
// Call once, after the application object exists and before the first widget is created.
void registerFontSubstitutes();
