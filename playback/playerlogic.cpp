#include "playback/playerlogic.h"

#include "base/rounding.h"
#include "playback/volume.h"

#include <algorithm>

int PlayerLogic::wholeSeconds(qint64 ms)
{
    return static_cast<int>(roundHalfEven(roundHalfEven(ms / 10.0) / 100.0));
}

int PlayerLogic::nearestSecond(qint64 ms)
{
    return static_cast<int>(roundHalfEven(ms / 1000.0));
}

int PlayerLogic::openVolume(int vlme, int fadein)
{
    return fadein != 0 ? std::max(Volume::Silent, vlme + FadeInStart) : vlme;
}

PlayerLogic::FadeStepResult PlayerLogic::fadeTick(int volume, int fadein, bool fadeout, int target)
{
    FadeStepResult step{volume, fadein, false};
    if (fadeout) {
        step.fadein = 0;
        if (step.volume > FadeOutEnd)
            step.volume -= FadeStep;
        step.fadeoutDone = step.volume <= FadeOutEnd;
        return step;
    }
    if (step.fadein == 1) {
        step.volume = std::min(step.volume + FadeStep, target);
        if (step.volume >= target)
            step.fadein = 0;
    }
    return step;
}

PlayerLogic::EndAction PlayerLogic::endCheck(MediaStatus status, qint64 durationMs, int txtlength,
                                             qint64 positionMs, bool bloop, int checksLoading)
{
    const bool lengthKnown =
        status == MediaStatus::Ended || status == MediaStatus::Failed || durationMs > 0;
    if (!lengthKnown) {
        return status == MediaStatus::Loading && checksLoading >= kEndChecksToOpen
                   ? EndAction::GiveUp
                   : EndAction::None;
    }
    if (status == MediaStatus::Failed)
        return EndAction::Close;
    if (txtlength - wholeSeconds(positionMs) >= 1)
        return EndAction::None;
    if (!bloop)
        return EndAction::Close;
    return status == MediaStatus::Ended ? EndAction::Restart : EndAction::None;
}
