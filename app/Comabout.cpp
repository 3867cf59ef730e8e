// The About box.
#include "app/Comabout.h"

#include "app/Main_F.h"
#include "core/HelpContexts.h"
#include "platform/Platform.h"
#include "settings/IniLang.h"

TAboutComponent::TAboutComponent(TComponent* owner)
    : TForm(owner, "AboutComponent"),
      Logo(this, this, TControlKind::Image, "Logo"),
      ProductName(this, this, TControlKind::Label, "ProductName"),
      Copyright(this, this, TControlKind::Label, "Copyright"),
      LinkLabel(this, this, TControlKind::Label, "LinkLabel"),
      OKButton(this, this, TControlKind::Button, "OKButton") {
    BorderStyle = TBorderStyle::Dialog;
    MinimizeBox = false;
    CenterOnScreen = true;
    SetHelpContext(helpctx::About);
    BackgroundTile = "ABOUTBG";
    SetClientSize(389, 380);
    Logo.SetBounds(146, 40, 96, 96);
    Logo.SetGlyph("ABOUTLOGO");
    ProductName.SetBounds(20, 160, 349, 30);
    Copyright.SetBounds(20, 200, 349, 40);
    Copyright.SetWordWrap(true);
    Copyright.SetCaption("A companion for dial-up Internet access.");
    LinkLabel.SetBounds(20, 260, 349, 16);
    LinkLabel.SetCaption(kWebPage);
    LinkLabel.SetHandCursor(true);
    TFontStyle link;
    link.Bold = true;
    LinkLabel.SetFont(link);
    ProductName.CenterText = Copyright.CenterText = LinkLabel.CenterText = true;
    OKButton.SetBounds(157, 330, 75, 25);
    OKButton.SetCaption("OK");
    OKButton.OnClick = [this](TObject*) { SetModalResult(IDOK_); };
    // OK is the default button and has the focus: Enter and Escape both close the box.
    DefaultButton = CancelButton = &OKButton;
    LinkLabel.OnClick = [](TObject*) { OpenWebTarget(kWebPage); };
}

void ShowAboutBox() {
    TAboutComponent box(&Application());
    // A scalable face: the bitmap one of the other texts is drawn letter-spaced this large.
    TFontStyle big;
    big.Name = "Tahoma";
    big.Size = 16;
    box.ProductName.SetFont(big);
    box.ProductName.SetCaption("Velmora version 1.2d");
    box.SetCaption("About Velmora");
    TranslateForm(box);
    box.CreateHandle();
    box.ShowModal();
}
