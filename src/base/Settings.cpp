#include "base/Settings.h"

#include "base/ClsIni.h"
#include "base/SharedInstance.h"

namespace {
SharedInstance<ClsIni> g_ini("ClsIni");
} // namespace

ClsIni& Settings::Ini() { return g_ini.Get(); }
void Settings::Create() { g_ini.Create(); }
void Settings::Release() { g_ini.Release(); }
