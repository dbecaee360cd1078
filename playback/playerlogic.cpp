#include "playback/playerlogic.h"

#include "playback/volume.h"

#include <algorithm>

namespace {

// n / d rounded to the nearest whole number, a half to the even one; d > 0.
qint64 divideHalfEven(qint64 n, qint64 d)
{
    qint64 q = n / d;
    qint64 r = n % d;
    if (r < 0) {
        --q;
        r += d;
    }
    if (2 * r > d || (2 * r == d && q % 2 != 0))
        ++q;
    return q;
}

} // namespace

int PlayerLogic::wholeSeconds(qint64 ms)
{
    return static_cast<int>(divideHalfEven(divideHalfEven(ms, 10), 100));
}

int PlayerLogic::nearestSecond(qint64 ms)
{
    return static_cast<int>(divideHalfEven(ms, 1000));
}

int PlayerLogic::openVolume(int vlme, int fadein)
{
    return fadein != 0 ? FadeInStart : vlme;
}

PlayerLogic::FadeStepResult PlayerLogic::fadeTick(int volume, int fadein, bool fadeout)
{
    FadeStepResult step{volume, fadein, false};
    if (fadeout) {
        step.fadein = 0;
        if (step.volume > FadeOutEnd)
            step.volume -= FadeStep;
        step.fadeoutDone = step.volume <= FadeOutEnd;
        return step;
    }
    if (step.volume < Volume::Full && step.fadein == 1) {
        step.volume = std::min(step.volume + FadeStep, Volume::Full);
        if (step.volume >= Volume::Full)
            step.fadein = 0;
    }
    return step;
}

PlayerLogic::EndAction PlayerLogic::endCheck(MediaStatus status, qint64 durationMs, int txtlength,
                                             qint64 positionMs, bool bloop)
{
    const bool lengthKnown =
        status == MediaStatus::Ended || status == MediaStatus::Failed || durationMs > 0;
    if (!lengthKnown)
        return EndAction::None;
    if (txtlength - wholeSeconds(positionMs) >= 1)
        return EndAction::None;
    return bloop ? EndAction::Restart : EndAction::Close;
}
