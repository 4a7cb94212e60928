// The display every backend shows: the pocket computer's, 240 x 320.
#pragma once

enum {
    DisplayWidth = 240,
    DisplayHeight = 320,
};
