// The one application object; only the executable links it.
#include "MainApp.h"

CMainApp theApp;
