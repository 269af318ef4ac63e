#pragma once

class ClsIni;

// The settings file the whole program reads and writes (<executable>.ini in
// the program folder). Settings are read when needed and written at once
// through it; nothing caches them.
class Settings {
public:
    static ClsIni& Ini();
    static void Create();
    static void Release();
};
