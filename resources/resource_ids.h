/* Resource identifiers, shared by the code and the resource script. */
#ifndef RUXA_RESOURCES_RESOURCE_IDS_H
#define RUXA_RESOURCES_RESOURCE_IDS_H

#define IDS_SAVER_NAME 1
#define IDI_SAVER      100
#define IDB_VEHICLE    101
#define IDB_TRACKS     107
#define IDB_PALETTE    108
#define IDC_PALETTE    1002
#define IDC_PREVIEW    1003
#define IDD_CONFIGURE  2003

#endif
