#include "ui/UUserPrompt.h"

TUserPrompt::~TUserPrompt() = default;
