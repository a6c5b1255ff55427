#include "app/InterimControls.h"

// --- TInterimListBoxItems ---------------------------------------------------

void TInterimListBoxItems::InsertItem(int index, const WideString& s) {
  TElWideStringList::InsertItem(index, s);
  if (!FListBox->HandleAllocated()) return;
  const LRESULT result = SendMessageW(FListBox->Handle(), LB_INSERTSTRING, static_cast<WPARAM>(index), 0);
  if (result == LB_ERR || result == LB_ERRSPACE) throw EOutOfResources("Unable to insert a line");
}

void TInterimListBoxItems::Delete(int index) {
  TElWideStringList::Delete(index);
  if (FListBox->HandleAllocated()) SendMessageW(FListBox->Handle(), LB_DELETESTRING, static_cast<WPARAM>(index), 0);
}

void TInterimListBoxItems::Clear() {
  TElWideStringList::Clear();
  if (FListBox->HandleAllocated()) SendMessageW(FListBox->Handle(), LB_RESETCONTENT, 0, 0);
}

void TInterimListBoxItems::Put(int index, const WideString& s) {
  TElWideStringList::Put(index, s);
  if (!FListBox->HandleAllocated()) return;
  RECT rect = FListBox->ItemRect(index);
  InvalidateRect(FListBox->Handle(), &rect, FALSE);
}

void TInterimListBoxItems::Exchange(int index1, int index2) {
  TElWideStringList::Exchange(index1, index2);
  if (!FListBox->HandleAllocated()) return;
  for (int index : {index1, index2}) {
    RECT rect = FListBox->ItemRect(index);
    InvalidateRect(FListBox->Handle(), &rect, FALSE);
  }
}

// --- TInterimListBox --------------------------------------------------------

TInterimListBox::TInterimListBox(TComponent* owner)
    : TWinControl(owner), FItems(std::make_unique<TInterimListBoxItems>(this)),
      FCanvas(std::make_unique<TControlCanvas>(this)), FItemCanvas(std::make_unique<TCanvas>()) {
  FTabStop = true;
  FColor = clWindow;
  FBrush->SetColor(FColor);
  FCanvas->Font()->Assign(FFont.get());
  SetBounds(0, 0, 121, 97);
}

TInterimListBox::~TInterimListBox() { FCanvas->FreeHandle(); }

void TInterimListBox::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.NativeClass = u"LISTBOX";
  params.Style |= WS_VSCROLL | LBS_OWNERDRAWFIXED | LBS_NOINTEGRALHEIGHT | LBS_NOTIFY;
  params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TInterimListBox::CreateWnd() {
  TWinControl::CreateWnd();
  SendMessageW(FHandle, LB_SETITEMHEIGHT, 0, FItemHeight);
  const int count = FItems->GetCount();
  if (count > 0) {
    SendMessageW(FHandle, WM_SETREDRAW, FALSE, 0);
    SendMessageW(FHandle, LB_INITSTORAGE, static_cast<WPARAM>(count), 0);
    for (int i = 0; i < count; ++i) SendMessageW(FHandle, LB_ADDSTRING, 0, 0);
    SendMessageW(FHandle, WM_SETREDRAW, TRUE, 0);
  }
}

void TInterimListBox::DestroyWnd() {
  FCanvas->FreeHandle();
  TWinControl::DestroyWnd();
}

int TInterimListBox::TopIndex() {
  if (!HandleAllocated()) return 0;
  return static_cast<int>(SendMessageW(FHandle, LB_GETTOPINDEX, 0, 0));
}

void TInterimListBox::SetTopIndex(int value) {
  if (value == TopIndex() || !HandleAllocated()) return;
  SendMessageW(FHandle, LB_SETTOPINDEX, static_cast<WPARAM>(value), 0);
}

void TInterimListBox::SetItemHeight(int value) {
  if (value <= 0 || value == FItemHeight) return;
  FItemHeight = value;
  RecreateWnd();
}

RECT TInterimListBox::ItemRect(int index) {
  RECT rect{0, 0, 0, 0};
  if (HandleAllocated() && index >= 0 && index < FItems->GetCount())
    SendMessageW(FHandle, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect));
  return rect;
}

void TInterimListBox::CMFontChanged(TMessage& message) {
  FCanvas->Font()->Assign(FFont.get());
  TWinControl::CMFontChanged(message);
}

void TInterimListBox::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case CN_DRAWITEM:
      DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(message.LParam));
      message.Result = TRUE;
      return;
    case CN_MEASUREITEM:
      reinterpret_cast<MEASUREITEMSTRUCT*>(message.LParam)->itemHeight = static_cast<UINT>(FItemHeight);
      message.Result = TRUE;
      return;
    default:
      TWinControl::Dispatch(message);
  }
}

void TInterimListBox::DrawItem(const DRAWITEMSTRUCT& draw) {
  TCanvas* canvas = FItemCanvas.get();
  canvas->Font()->Assign(FFont.get());
  canvas->Brush()->SetColor(FColor);
  canvas->SetHandle(draw.hDC);
  const bool selected = (draw.itemState & ODS_SELECTED) != 0;
  const int index = static_cast<int>(draw.itemID);
  if (selected) canvas->Brush()->SetColor(clHighlight);
  canvas->FillRect(draw.rcItem);
  if (index >= 0 && index < FItems->GetCount()) {
    if (selected) canvas->Font()->SetColor(clHighlightText);
    canvas->Brush()->SetStyle(bsClear);
    RECT text = draw.rcItem;
    text.left += 2;
    text.right -= 2;
    canvas->DrawText(FItems->Get(index), text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  }
  if (draw.itemState & ODS_FOCUS) canvas->DrawFocusRect(draw.rcItem);
  canvas->SetHandle(nullptr);
}

// --- TInterimButtonEdit -----------------------------------------------------

TInterimButtonEdit::TInterimButtonEdit(TComponent* owner) : TWinControl(owner) {
  FTabStop = true;
  FColor = clWindow;
  FBrush->SetColor(FColor);
  SetBounds(0, 0, 121, 21);
  FButton = new TButton(this);
  FButton->SetTabStop(false);
  FButton->SetCaption(u"Browse");
  FButton->SetParent(this);
  FButton->OnClick = [this](TObject*) {
    if (OnButtonClick) OnButtonClick(this);
  };
  PlaceButton();
}

void TInterimButtonEdit::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.NativeClass = u"EDIT";
  params.Style |= ES_AUTOHSCROLL | WS_CLIPCHILDREN;
  params.ExStyle |= WS_EX_CLIENTEDGE;
  params.Cursor = LoadCursorW(nullptr, IDC_IBEAM);
}

void TInterimButtonEdit::CreateWnd() {
  TWinControl::CreateWnd();
  SendMessageW(FHandle, EM_SETMARGINS, EC_RIGHTMARGIN, MAKELONG(0, FButtonWidth + 1));
  PlaceButton();
}

void TInterimButtonEdit::SetButtonWidth(int value) {
  if (value < 0 || value == FButtonWidth) return;
  FButtonWidth = value;
  if (HandleAllocated()) SendMessageW(FHandle, EM_SETMARGINS, EC_RIGHTMARGIN, MAKELONG(0, FButtonWidth + 1));
  PlaceButton();
}

void TInterimButtonEdit::PlaceButton() {
  FButton->SetBounds(ClientWidth() - FButtonWidth, 0, FButtonWidth, ClientHeight());
}

void TInterimButtonEdit::WMSize(TMessage& message) {
  TWinControl::WMSize(message);
  PlaceButton();
}

void TInterimButtonEdit::CMEnabledChanged(TMessage& message) {
  TWinControl::CMEnabledChanged(message);
  FButton->SetEnabled(FEnabled);
}
