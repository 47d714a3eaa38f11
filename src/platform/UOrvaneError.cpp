#include "platform/UOrvaneError.h"

const char* EOrvaneError::what() const noexcept {
    if (FWhat.isEmpty())
        FWhat = FMessage.toUtf8();
    return FWhat.constData();
}
