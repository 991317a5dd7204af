/* Veskar's resource and command ids.  Plain #defines, so that a Windows
 * resource script can include this header as well as the C++ code. */
#ifndef VESKAR_RESOURCE_IDS_H
#define VESKAR_RESOURCE_IDS_H

/* String table: the texts are in resources.cpp. */
#define IDS_INVALID_SAMPLES 1
#define IDS_INVALID_INSTRUMENTS 2
#define IDS_INVALID_MUSIC 3
#define IDS_DLL_MISMATCH 4
#define IDS_CLASS_FAILED 5
#define IDS_WINDOW_FAILED 6
#define IDS_INIT_FAILED 7
#define IDS_LOG_FAILED 8
#define IDS_INVALID_EFFECT 9
#define IDS_PACKAGE_WARNINGS 10
#define IDS_FILE_UNREADABLE 11
#define IDS_NOT_A_PACKAGE 12
#define IDS_SECOND_PACKAGE 13

/* Resources. */
#define IDR_MAINMENU 102
#define IDR_ACCELERATORS 103
#define IDD_ABOUTBOX 104
#define IDI_MAIN 105
#define IDI_PLAY 107
#define IDI_STOP 108
#define IDI_PLAY_OFF 110
#define IDI_STOP_OFF 111
#define IDI_ABOUT 112
#define IDC_ABOUT_VERSION 1002
#define IDT_REFRESH 101

/* Menu and accelerator commands. */
#define ID_HELP_ABOUT 40001
#define ID_FILE_OPENSAMPLES 40002
#define ID_FILE_OPENINSTRUMENTS 40003
#define ID_FILE_OPENMUSIC 40005
#define ID_FILE_EXIT 40006
#define ID_PLAYBACK_STOPALL 40008
#define ID_PLAYBACK_PAUSE 40009
#define ID_PLAYBACK_RESUME 40010
#define ID_PLAYBACK_PLAYMUSIC 40011
#define ID_PLAYBACK_STOPMUSIC 40012
#define ID_FILE_OPENSFX 40013
#define ID_PLAYBACK_PLAYSFX 40014
#define ID_PLAYBACK_STOPSFX 40015
#define ID_FILE_LOGOUTPUT 40016
#define ID_FILE_STOPLOGGING 40017

/* Child controls of the main window.  The two buttons' ids are commands. */
#define IDC_INFO_CAPTION 2011
#define IDC_INFO_FRAME 2012
#define IDC_WAVE_FRAME 2022
#define IDC_WAVE_CAPTION 2031
#define IDC_VOLUME_TRACKBAR 2030
#define IDC_VOLUME_CAPTION 2031
#define IDC_VOLUME_FRAME 2032
#define IDC_SFX_CAPTION 2041
#define IDC_SFX_FRAME 2042
#define IDC_SFX_PRIORITY 2046
#define IDC_SFX_PANNING 2047
#define IDC_CHANNEL_CAPTION 3020
#define IDC_CHANNEL_FRAME 3030
#define IDC_SFX_PLAY 40100
#define IDC_SFX_STOP 40101

#endif
