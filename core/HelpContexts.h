// The help file's context numbers: what each window, settings page and message box asks the
// help viewer for. help/velmora.help maps every one of them to its topic (".map").
#pragma once

namespace helpctx {
enum : int {
    Settings = 100,
    SettingsDialUp = 101,
    SettingsAutomate = 102,
    SettingsMail = 103,
    SettingsMailOptions = 104,
    SettingsAutoRun = 105,
    Menus = 200,
    MainWindow = 310,
    Schedule = 320,
    Progress = 330,
    About = 340,
    // Message boxes.
    NoDialTone = 500,
    PasswordRefused = 501,
    EntryMissing = 502,
    SettingsNotSaved = 503,
    LineDropped = 504,
    MailNotConfigured = 505,
    MailServerDown = 506,
    ProgramNotStarted = 507,
    TimeServerDown = 509,
    ClockNotSet = 510,
    Certificate = 511,
    CheckDelay = 512,
    ScheduleBadValues = 513,
    SignIn = 514,
};

// Every number with the name of the topic it must open.
struct Topic {
    int number;
    const char* name;
};
inline constexpr Topic kTopics[] = {
    {Settings, "settings"},
    {SettingsDialUp, "settings_dialup"},
    {SettingsAutomate, "settings_automate"},
    {SettingsMail, "settings_mail"},
    {SettingsMailOptions, "settings_mailopt"},
    {SettingsAutoRun, "settings_autorun"},
    {Menus, "menus"},
    {MainWindow, "main_window"},
    {Schedule, "schedule"},
    {Progress, "dialing"},
    {About, "menus"},
    {NoDialTone, "err_680"},
    {PasswordRefused, "err_691"},
    {EntryMissing, "err_623"},
    {SettingsNotSaved, "err_settings_file"},
    {LineDropped, "stay_online"},
    {MailNotConfigured, "err_mail_config"},
    {MailServerDown, "err_mail_server"},
    {ProgramNotStarted, "err_program"},
    {TimeServerDown, "err_time_server"},
    {ClockNotSet, "err_clock_not_set"},
    {Certificate, "certificate"},
    {CheckDelay, "err_check_delay"},
    {ScheduleBadValues, "err_schedule_values"},
    {SignIn, "signin"},
};
}  // namespace helpctx
