#pragma once

#define VORELKIN_VERSION_TEXT "1.0.0"
#define VORELKIN_VERSION_NUMBERS 1, 0, 0, 0
