/* PURPOSE: the waiter's resource and timer ids, shared by its code and its
 * resource script. */
#pragma once

#define IDD_WAITER 102     /* the waiter's only dialog template */
#define IDI_WAITER 128     /* icon the dialog paints when minimised; none ships */
#define ID_POLL_TIMER 100
