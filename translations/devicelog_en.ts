<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>QObject</name>
    <message>
        <source>Alarm</source>
        <translation>Alarm</translation>
    </message>
    <message>
        <source>Exception</source>
        <translation>Exception</translation>
    </message>
    <message>
        <source>Operation</source>
        <translation>Operation</translation>
    </message>
    <message>
        <source>Information</source>
        <translation>Information</translation>
    </message>
    <message>
        <source>Alarm Input</source>
        <translation>Alarm Input</translation>
    </message>
    <message>
        <source>Alarm Output</source>
        <translation>Alarm Output</translation>
    </message>
    <message>
        <source>Motion Detection Starts</source>
        <translation>Motion Detection Starts</translation>
    </message>
    <message>
        <source>Motion Detection Stops</source>
        <translation>Motion Detection Stops</translation>
    </message>
    <message>
        <source>Video Tampering Starts</source>
        <translation>Video Tampering Starts</translation>
    </message>
    <message>
        <source>Video Tampering Stops</source>
        <translation>Video Tampering Stops</translation>
    </message>
    <message>
        <source>VCA Alarm Starts</source>
        <translation>VCA Alarm Starts</translation>
    </message>
    <message>
        <source>VCA Alarm Stops</source>
        <translation>VCA Alarm Stops</translation>
    </message>
    <message>
        <source>ITS Alarm Starts</source>
        <translation>ITS Alarm Starts</translation>
    </message>
    <message>
        <source>ITS Alarm Stops</source>
        <translation>ITS Alarm Stops</translation>
    </message>
    <message>
        <source>Video Lost</source>
        <translation>Video Lost</translation>
    </message>
    <message>
        <source>Illegal Access</source>
        <translation>Illegal Access</translation>
    </message>
    <message>
        <source>HDD Full</source>
        <translation>HDD Full</translation>
    </message>
    <message>
        <source>HDD Fault</source>
        <translation>HDD Fault</translation>
    </message>
    <message>
        <source>DCD Lost</source>
        <translation>DCD Lost</translation>
    </message>
    <message>
        <source>IP Address Conflict</source>
        <translation>IP Address Conflict</translation>
    </message>
    <message>
        <source>Network Broken</source>
        <translation>Network Broken</translation>
    </message>
    <message>
        <source>Record Fault</source>
        <translation>Record Fault</translation>
    </message>
    <message>
        <source>IPC Link Disconnect</source>
        <translation>IPC Link Disconnect</translation>
    </message>
    <message>
        <source>Video Input Exception</source>
        <translation>Video Input Exception</translation>
    </message>
    <message>
        <source>IPC Address Conflict</source>
        <translation>IPC Address Conflict</translation>
    </message>
    <message>
        <source>shipin zonghe pingtai</source>
        <translation>shipin zonghe pingtai</translation>
    </message>
    <message>
        <source>Turn On</source>
        <translation>Turn On</translation>
    </message>
    <message>
        <source>Trun Off</source>
        <translation>Trun Off</translation>
    </message>
    <message>
        <source>Illegal Shutdown</source>
        <translation>Illegal Shutdown</translation>
    </message>
    <message>
        <source>Local Reboot Device</source>
        <translation>Local Reboot Device</translation>
    </message>
    <message>
        <source>Local Login</source>
        <translation>Local Login</translation>
    </message>
    <message>
        <source>Local Logout</source>
        <translation>Local Logout</translation>
    </message>
    <message>
        <source>Local Settings</source>
        <translation>Local Settings</translation>
    </message>
    <message>
        <source>Local Playback by File</source>
        <translation>Local Playback by File</translation>
    </message>
    <message>
        <source>Local Playback by Time</source>
        <translation>Local Playback by Time</translation>
    </message>
    <message>
        <source>Local Start Recording</source>
        <translation>Local Start Recording</translation>
    </message>
    <message>
        <source>Local Stop Recording</source>
        <translation>Local Stop Recording</translation>
    </message>
    <message>
        <source>Local PTZ Control</source>
        <translation>Local PTZ Control</translation>
    </message>
    <message>
        <source>Local Preview</source>
        <translation>Local Preview</translation>
    </message>
    <message>
        <source>Local Configuration Time</source>
        <translation>Local Configuration Time</translation>
    </message>
    <message>
        <source>Local Upgrade</source>
        <translation>Local Upgrade</translation>
    </message>
    <message>
        <source>Local Export Recording Files</source>
        <translation>Local Export Recording Files</translation>
    </message>
    <message>
        <source>Local Formating HDD</source>
        <translation>Local Formating HDD</translation>
    </message>
    <message>
        <source>Local Export Config File</source>
        <translation>Local Export Config File</translation>
    </message>
    <message>
        <source>Local Import Config File</source>
        <translation>Local Import Config File</translation>
    </message>
    <message>
        <source>Local Backup File</source>
        <translation>Local Backup File</translation>
    </message>
    <message>
        <source>Local Lock Recording Files</source>
        <translation>Local Lock Recording Files</translation>
    </message>
    <message>
        <source>Local Unlock Recording Files</source>
        <translation>Local Unlock Recording Files</translation>
    </message>
    <message>
        <source>Manually Clear and Trigger Alarm Locally</source>
        <translation>Manually Clear and Trigger Alarm Locally</translation>
    </message>
    <message>
        <source>Local Add IPC</source>
        <translation>Local Add IPC</translation>
    </message>
    <message>
        <source>Local Delete IPC</source>
        <translation>Local Delete IPC</translation>
    </message>
    <message>
        <source>Local Configure IPC</source>
        <translation>Local Configure IPC</translation>
    </message>
    <message>
        <source>Local Start Backup</source>
        <translation>Local Start Backup</translation>
    </message>
    <message>
        <source>Local Stop Backup</source>
        <translation>Local Stop Backup</translation>
    </message>
    <message>
        <source>Local Backup Start Time</source>
        <translation>Local Backup Start Time</translation>
    </message>
    <message>
        <source>Local Backup End Time</source>
        <translation>Local Backup End Time</translation>
    </message>
    <message>
        <source>Add Local Net Disk</source>
        <translation>Add Local Net Disk</translation>
    </message>
    <message>
        <source>Delete Local Net Disk</source>
        <translation>Delete Local Net Disk</translation>
    </message>
    <message>
        <source>Configure Local Net Disk</source>
        <translation>Configure Local Net Disk</translation>
    </message>
    <message>
        <source>Remote Login</source>
        <translation>Remote Login</translation>
    </message>
    <message>
        <source>Remote Logout</source>
        <translation>Remote Logout</translation>
    </message>
    <message>
        <source>Remote Start Recording</source>
        <translation>Remote Start Recording</translation>
    </message>
    <message>
        <source>Stop Start Recording</source>
        <translation>Stop Start Recording</translation>
    </message>
    <message>
        <source>Establish Transparent Channel</source>
        <translation>Establish Transparent Channel</translation>
    </message>
    <message>
        <source>Disconnect Transparent Channel</source>
        <translation>Disconnect Transparent Channel</translation>
    </message>
    <message>
        <source>Get Parameters Remotely</source>
        <translation>Get Parameters Remotely</translation>
    </message>
    <message>
        <source>Set Parameters Remotely</source>
        <translation>Set Parameters Remotely</translation>
    </message>
    <message>
        <source>Get Status Remotely</source>
        <translation>Get Status Remotely</translation>
    </message>
    <message>
        <source>Arm Software Remotely</source>
        <translation>Arm Software Remotely</translation>
    </message>
    <message>
        <source>Disarm Software Remotely</source>
        <translation>Disarm Software Remotely</translation>
    </message>
    <message>
        <source>Remote Reboot</source>
        <translation>Remote Reboot</translation>
    </message>
    <message>
        <source>Voice Talking Starts</source>
        <translation>Voice Talking Starts</translation>
    </message>
    <message>
        <source>Voice Talking Ends</source>
        <translation>Voice Talking Ends</translation>
    </message>
    <message>
        <source>Remote Upgrade</source>
        <translation>Remote Upgrade</translation>
    </message>
    <message>
        <source>Playback by File Remotely</source>
        <translation>Playback by File Remotely</translation>
    </message>
    <message>
        <source>Playback by Time Remotely</source>
        <translation>Playback by Time Remotely</translation>
    </message>
    <message>
        <source>PTZ Control Remotely</source>
        <translation>PTZ Control Remotely</translation>
    </message>
    <message>
        <source>Remote Format HDD</source>
        <translation>Remote Format HDD</translation>
    </message>
    <message>
        <source>Remote Shutdown</source>
        <translation>Remote Shutdown</translation>
    </message>
    <message>
        <source>Remote Lock File</source>
        <translation>Remote Lock File</translation>
    </message>
    <message>
        <source>Remote Unlock File</source>
        <translation>Remote Unlock File</translation>
    </message>
    <message>
        <source>Remote Export Config File</source>
        <translation>Remote Export Config File</translation>
    </message>
    <message>
        <source>Remote Import Config File</source>
        <translation>Remote Import Config File</translation>
    </message>
    <message>
        <source>Export Recording Files Remotely</source>
        <translation>Export Recording Files Remotely</translation>
    </message>
    <message>
        <source>Remote Manual Alarm</source>
        <translation>Remote Manual Alarm</translation>
    </message>
    <message>
        <source>Remote Add IPC</source>
        <translation>Remote Add IPC</translation>
    </message>
    <message>
        <source>Remote Delete IPC</source>
        <translation>Remote Delete IPC</translation>
    </message>
    <message>
        <source>Remote Configure IPC</source>
        <translation>Remote Configure IPC</translation>
    </message>
    <message>
        <source>Intelligent LIB Restart</source>
        <translation>Intelligent LIB Restart</translation>
    </message>
    <message>
        <source>Add Net Disk Remotely</source>
        <translation>Add Net Disk Remotely</translation>
    </message>
    <message>
        <source>Delete Net Disk Remotely</source>
        <translation>Delete Net Disk Remotely</translation>
    </message>
    <message>
        <source>Configure Net Disk Remotely</source>
        <translation>Configure Net Disk Remotely</translation>
    </message>
    <message>
        <source>shen xun zhuan yong</source>
        <translation>shen xun zhuan yong</translation>
    </message>
    <message>
        <source>HDD Information</source>
        <translation>HDD Information</translation>
    </message>
    <message>
        <source>SMART Information</source>
        <translation>SMART Information</translation>
    </message>
    <message>
        <source>Start Recording</source>
        <translation>Start Recording</translation>
    </message>
    <message>
        <source>Stop Recording</source>
        <translation>Stop Recording</translation>
    </message>
    <message>
        <source>Recording Timeout</source>
        <translation>Recording Timeout</translation>
    </message>
    <message>
        <source>Device Connect the front-end(IPC,etc.)</source>
        <translation>Device Connect the front-end(IPC,etc.)</translation>
    </message>
    <message>
        <source>Device Disconnect the front-end(IPC,etc.)</source>
        <translation>Device Disconnect the front-end(IPC,etc.)</translation>
    </message>
    <message>
        <source>Network HDD Information</source>
        <translation>Network HDD Information</translation>
    </message>
    <message>
        <source>Raid Information</source>
        <translation>Raid Information</translation>
    </message>
    <message>
        <source>Start Capture</source>
        <translation>Start Capture</translation>
    </message>
    <message>
        <source>Stop Capture</source>
        <translation>Stop Capture</translation>
    </message>
    <message>
        <source>Delete Expired Picture Files</source>
        <translation>Delete Expired Picture Files</translation>
    </message>
    <message>
        <source>Local Set Auto-Rebuild</source>
        <translation>Local Set Auto-Rebuild</translation>
    </message>
    <message>
        <source>Local Config Hot-Spare Disk</source>
        <translation>Local Config Hot-Spare Disk</translation>
    </message>
    <message>
        <source>Local Create Array</source>
        <translation>Local Create Array</translation>
    </message>
    <message>
        <source>Local Delete Array</source>
        <translation>Local Delete Array</translation>
    </message>
    <message>
        <source>Local Migrate Array</source>
        <translation>Local Migrate Array</translation>
    </message>
    <message>
        <source>Local Rebuild Array</source>
        <translation>Local Rebuild Array</translation>
    </message>
    <message>
        <source>Local Quick Config</source>
        <translation>Local Quick Config</translation>
    </message>
    <message>
        <source>Local Create Virtual Disk</source>
        <translation>Local Create Virtual Disk</translation>
    </message>
    <message>
        <source>Local Delete Virtual Disk</source>
        <translation>Local Delete Virtual Disk</translation>
    </message>
    <message>
        <source>Local Repair Virtual Disk</source>
        <translation>Local Repair Virtual Disk</translation>
    </message>
    <message>
        <source>Local Expand Virtual Disk</source>
        <translation>Local Expand Virtual Disk</translation>
    </message>
    <message>
        <source>Local RAID Adapter Upgrade</source>
        <translation>Local RAID Adapter Upgrade</translation>
    </message>
    <message>
        <source>Remote Set Auto-Rebuild</source>
        <translation>Remote Set Auto-Rebuild</translation>
    </message>
    <message>
        <source>Remote Config Hot-Spare Disk</source>
        <translation>Remote Config Hot-Spare Disk</translation>
    </message>
    <message>
        <source>Remote Create Array</source>
        <translation>Remote Create Array</translation>
    </message>
    <message>
        <source>Remote Delete Array</source>
        <translation>Remote Delete Array</translation>
    </message>
    <message>
        <source>Remote Migrate Array</source>
        <translation>Remote Migrate Array</translation>
    </message>
    <message>
        <source>Remote Rebuild Array</source>
        <translation>Remote Rebuild Array</translation>
    </message>
    <message>
        <source>Remote Quick Config</source>
        <translation>Remote Quick Config</translation>
    </message>
    <message>
        <source>Remote Create Virtual Disk</source>
        <translation>Remote Create Virtual Disk</translation>
    </message>
    <message>
        <source>Remote Delete Virtual Disk</source>
        <translation>Remote Delete Virtual Disk</translation>
    </message>
    <message>
        <source>Remote Repair Virtual Disk</source>
        <translation>Remote Repair Virtual Disk</translation>
    </message>
    <message>
        <source>Remote Expand Virtual Disk</source>
        <translation>Remote Expand Virtual Disk</translation>
    </message>
    <message>
        <source>Remote RAID Adapter Upgrade</source>
        <translation>Remote RAID Adapter Upgrade</translation>
    </message>
</context>
</TS>
