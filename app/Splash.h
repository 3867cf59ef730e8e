// The splash window shown while the program starts: the "SPLASH" picture, no border,
// centred on the screen.
#pragma once
#include "widgets/Forms.h"

class TForm6 : public TForm {
public:
    explicit TForm6(TComponent* owner);
    TControl Image1;
};
