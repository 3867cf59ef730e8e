// The splash window's definition.
#include "app/Splash.h"

TForm6::TForm6(TComponent* owner) : TForm(owner, "Form6"), Image1(this, this, TControlKind::Image, "Image1") {
    BorderStyle = TBorderStyle::None;
    CenterOnScreen = true;
    SetClientSize(280, 218);
    Image1.SetBounds(0, 0, 280, 218);
    Image1.SetGlyph("SPLASH");
    CreateHandle();
}
