// The application object: start-up and the modal viewer dialog.
#pragma once

#include "platform/afxwin.h"

class CVelvoraApp : public CWinApp {
public:
    CVelvoraApp();
    BOOL InitInstance() override;

    DECLARE_MESSAGE_MAP()
};

extern CVelvoraApp theApp;
