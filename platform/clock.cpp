// The frame clock: the timer period the screens choose and the quit flag.
#include "platform/clock.h"

#include "platform/platform.h"

ClockState Clock = {StartTimerPeriod, 0, NormalTimerSpeed};

int32_t ArmedTimerPeriod(void)
{
    int32_t speed = Clock.speed > 0 ? Clock.speed : NormalTimerSpeed;
    int32_t p = Clock.TimerPeriod * NormalTimerSpeed / speed;
    return p < 1 ? 1 : p;
}

void SetTimerPeriod(int32_t periodMs)
{
    Clock.TimerPeriod = periodMs;
    Plat_SetTimer(FrameTimerId, ArmedTimerPeriod());
}

void SetTimerSpeed(int32_t quarters)
{
    Clock.speed = quarters;
    Plat_SetTimer(FrameTimerId, ArmedTimerPeriod());
}
