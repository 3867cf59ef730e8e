// The About box: product name and version, a framed logo over a tiled background, an OK
// button, and a link to the product's web page.
#pragma once
#include "widgets/Forms.h"

class TAboutComponent : public TForm {
public:
    explicit TAboutComponent(TComponent* owner);
    TControl Logo;
    TControl ProductName;
    TControl Copyright;
    TControl LinkLabel;
    TControl OKButton;
    static constexpr const char* kWebPage = "http://velmora.example/";
};

// "&About...": builds the box, shows it modally and frees it when it closes.
void ShowAboutBox();
