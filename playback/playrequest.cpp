#include "playback/playrequest.h"

#include "playback/isvideo.h"

PlayRequest playfileRequest(const QString &file, int volume, bool repeatShown, int fadeFlag,
                            bool repeatHidden)
{
    PlayRequest request;
    request.file = file;
    request.volume = volume;
    request.repeat = repeatShown || repeatHidden;
    request.showWindow = repeatShown || isvideo(file);
    request.fadeIn = fadeFlag != 0;
    return request;
}
