#include "test_dialogs.h"

namespace {

constexpr DWORD kTab = WS_VISIBLE | WS_TABSTOP;

const AfxControlTemplate formControls[] = {
    {IDC_FORM_NAME, AfxControlKind::Edit, L"", 7, 7, 186, 14, kTab | ES_AUTOHSCROLL},
    {IDC_FORM_LIST, AfxControlKind::ListBox, L"", 7, 25, 186, 66, kTab | LBS_NOTIFY | LBS_SORT},
    {IDC_FORM_NOTE, AfxControlKind::Static, L"Hinweis", 7, 102, 60, 8, WS_VISIBLE},
    {IDOK, AfxControlKind::PushButton, L"OK", 89, 98, 50, 14, kTab | BS_DEFPUSHBUTTON},
    {IDCANCEL, AfxControlKind::PushButton, L"Abbrechen", 143, 98, 50, 14, kTab},
};

const AfxControlTemplate keyControls[] = {
    {IDC_KEYS_LABEL, AfxControlKind::Static, L"&Name:", 7, 9, 40, 8, WS_VISIBLE},
    {IDC_KEYS_TEXT, AfxControlKind::Edit, L"", 50, 7, 100, 14, kTab},
    {IDC_KEYS_INT, AfxControlKind::Edit, L"", 50, 25, 100, 14, kTab},
    {IDC_KEYS_HIDDEN, AfxControlKind::PushButton, L"Versteckt", 155, 25, 40, 14, WS_TABSTOP},
    {IDC_KEYS_REAL, AfxControlKind::Edit, L"", 50, 43, 100, 14, kTab},
    {IDC_KEYS_COMBO, AfxControlKind::ComboBox, L"", 50, 61, 100, 60, kTab | CBS_DROPDOWNLIST},
    {IDC_KEYS_APPLY, AfxControlKind::PushButton, L"&Anwenden", 7, 85, 50, 14, kTab},
    {IDOK, AfxControlKind::PushButton, L"OK", 61, 85, 50, 14, kTab | BS_DEFPUSHBUTTON},
    {IDCANCEL, AfxControlKind::PushButton, L"Abbrechen", 115, 85, 50, 14, kTab},
};

const AfxControlTemplate plainControls[] = {
    {IDC_PLAIN_EDIT, AfxControlKind::Edit, L"", 7, 7, 100, 14, kTab},
    {IDC_PLAIN_GO, AfxControlKind::PushButton, L"Los", 7, 25, 50, 14, kTab},
    {IDC_PLAIN_LIST, AfxControlKind::ListBox, L"", 7, 43, 100, 40, kTab | LBS_NOTIFY},
};

const AfxControlTemplate searchControls[] = {
    {IDC_SEARCH_TEXT, AfxControlKind::Edit, L"", 7, 7, 186, 14, kTab | ES_AUTOHSCROLL},
    {IDC_SEARCH_LIST, AfxControlKind::ListBox, L"", 7, 25, 120, 80, kTab | WS_VSCROLL | LBS_NOTIFY | LBS_SORT},
    {IDC_SEARCH_MULTI, AfxControlKind::ListBox, L"", 131, 25, 62, 80, kTab | LBS_NOTIFY | LBS_EXTENDEDSEL},
    {IDC_SEARCH_HINT, AfxControlKind::Static, L"Hinweis", 7, 110, 120, 8, WS_VISIBLE},
    {IDOK, AfxControlKind::PushButton, L"OK", 143, 122, 50, 14, kTab | BS_DEFPUSHBUTTON},
};

const AfxControlTemplate brokenControls[] = {
    {1, AfxControlKind::Custom, L"", 7, 7, 100, 14, kTab, L"NoSuchGridCtrl"},
};

const AfxDialogTemplate dialogs[] = {
    {IDD_TEST_FORM, 0, 0, 200, 120, WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME, L"Formular",
     L"MS Sans Serif", 8, formControls, std::size(formControls)},
    {IDD_TEST_KEYS, 0, 0, 200, 106, DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU, L"Tasten",
     L"MS Shell Dlg", 8, keyControls, std::size(keyControls)},
    {IDD_TEST_PLAIN, 0, 0, 120, 90, DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU, L"Schlicht",
     L"MS Sans Serif", 8, plainControls, std::size(plainControls)},
    {IDD_TEST_SEARCH, 0, 0, 200, 142, DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU, L"Suche",
     L"MS Shell Dlg", 8, searchControls, std::size(searchControls)},
    {IDD_TEST_BROKEN, 0, 0, 120, 40, DS_MODALFRAME | WS_POPUP | WS_CAPTION, L"Kaputt", L"MS Sans Serif", 8,
     brokenControls, std::size(brokenControls)},
};

/* A red dot, twice. */
const char* const dot8[] = {"8 8 2 1", "  c None", "r c #FF0000",
                            "  rrrr  ", " rrrrrr ", "rrrrrrrr", "rrrrrrrr",
                            "rrrrrrrr", "rrrrrrrr", " rrrrrr ", "  rrrr  "};
const char* const dot16[] = {"16 16 2 1", "  c None", "r c #FF0000",
                             "     rrrrrr     ", "   rrrrrrrrrr   ", "  rrrrrrrrrrrr  ", " rrrrrrrrrrrrrr ",
                             " rrrrrrrrrrrrrr ", "rrrrrrrrrrrrrrrr", "rrrrrrrrrrrrrrrr", "rrrrrrrrrrrrrrrr",
                             "rrrrrrrrrrrrrrrr", "rrrrrrrrrrrrrrrr", "rrrrrrrrrrrrrrrr", " rrrrrrrrrrrrrr ",
                             " rrrrrrrrrrrrrr ", "  rrrrrrrrrrrr  ", "   rrrrrrrrrr   ", "     rrrrrr     "};

const AfxIconResource icons[] = {{IDI_TEST_DOT, 8, dot8}, {IDI_TEST_DOT, 16, dot16}};

const AfxResourceTable testResources = {dialogs, std::size(dialogs), nullptr, 0, icons, std::size(icons)};

}  // namespace

AFX_RESOURCE_TABLE(testResources)

HINSTANCE testResourceInstance() { return AfxInstanceOf(&testResources); }

void KeysDialog::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_KEYS_COMBO, m_combo);
    DDX_Control(pDX, IDC_KEYS_APPLY, m_apply);
    DDX_Text(pDX, IDC_KEYS_TEXT, m_text);
    DDX_Text(pDX, IDC_KEYS_INT, m_number);
    DDX_Text(pDX, IDC_KEYS_REAL, m_real);
    if (pDX->m_bSaveAndValidate)
        GetDlgItemText(IDC_KEYS_COMBO, m_choice);
}

BOOL KeysDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    for (const wchar_t* line : {L"Schieber", L"Hydrant", L"Leitung"})
        m_combo.AddString(line);
    textChanges = comboChanges = 0;  // what filling the dialog caused does not count
    return TRUE;
}

void KeysDialog::OnOK()
{
    ++oks;
    CDialog::OnOK();
}

void KeysDialog::OnCancel()
{
    ++cancels;
    if (!refuseCancel)
        CDialog::OnCancel();
}

void KeysDialog::OnApply()
{
    ++applied;
    if (applyOpensInner)
        innerResult = PlainDialog(this).DoModal();
}

BEGIN_MESSAGE_MAP(KeysDialog, CDialog)
    ON_BN_CLICKED(IDC_KEYS_APPLY, &KeysDialog::OnApply)
    ON_EN_CHANGE(IDC_KEYS_TEXT, &KeysDialog::OnTextChange)
    ON_CBN_SELCHANGE(IDC_KEYS_COMBO, &KeysDialog::OnComboChange)
END_MESSAGE_MAP()

BEGIN_MESSAGE_MAP(PlainDialog, CDialog)
    ON_BN_CLICKED(IDC_PLAIN_GO, &PlainDialog::OnGo)
END_MESSAGE_MAP()
