<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>CLocalLogWidget</name>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="206"/>
        <location filename="../devicelog/LogChoices.cpp" line="74"/>
        <source>All</source>
        <translation>All</translation>
    </message>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="211"/>
        <source>ID</source>
        <translation>ID</translation>
    </message>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="211"/>
        <source>Operation time</source>
        <translation>Operation time</translation>
    </message>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="211"/>
        <source>Major Type</source>
        <translation>Major Type</translation>
    </message>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="211"/>
        <source>Minor Type</source>
        <translation>Minor Type</translation>
    </message>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="211"/>
        <source>Local Operator</source>
        <translation>Local Operator</translation>
    </message>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="212"/>
        <source>Remote Operator</source>
        <translation>Remote Operator</translation>
    </message>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="212"/>
        <source>Remote Host Address</source>
        <translation>Remote Host Address</translation>
    </message>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="212"/>
        <source>Parameter Type</source>
        <translation>Parameter Type</translation>
    </message>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="212"/>
        <source>Channel No</source>
        <translation>Channel No</translation>
    </message>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="213"/>
        <source>Disk No</source>
        <translation>Disk No</translation>
    </message>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="213"/>
        <source>Alarm Input</source>
        <translation>Alarm Input</translation>
    </message>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="213"/>
        <source>Alarm Output</source>
        <translation>Alarm Output</translation>
    </message>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="258"/>
        <location filename="../devicelog/LocalLogWidget.cpp" line="348"/>
        <location filename="../devicelog/LogChoices.cpp" line="86"/>
        <source>Information</source>
        <translation>Information</translation>
    </message>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="263"/>
        <source>Can not search the selected disk</source>
        <translation>Can not search the selected disk</translation>
    </message>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="297"/>
        <source>The log should less than 2000, Please constrain the Parameter!</source>
        <translation>The log should less than 2000, Please constrain the Parameter!</translation>
    </message>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="313"/>
        <source>No log found!</source>
        <translation>No log found!</translation>
    </message>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="319"/>
        <source>The log of the selected disk cannot be read (error %1).</source>
        <translation>The log of the selected disk cannot be read (error %1).</translation>
    </message>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="334"/>
        <source>No log had been searched</source>
        <translation>No log had been searched</translation>
    </message>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="348"/>
        <source>The file already exists. Do you want to replace it?</source>
        <translation>The file already exists. Do you want to replace it?</translation>
    </message>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="352"/>
        <source>Writing...</source>
        <translation>Writing...</translation>
    </message>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="366"/>
        <location filename="../devicelog/LocalLogWidget.cpp" line="375"/>
        <source>Error</source>
        <translation>Error</translation>
    </message>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="366"/>
        <source>Open file failed!</source>
        <translation>Open file failed!</translation>
    </message>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="369"/>
        <source>Backup successful.</source>
        <translation>Backup successful.</translation>
    </message>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="333"/>
        <source>More than %1 logs were found: only the first %1 are listed. Please narrow the search.</source>
        <translation>More than %1 logs were found: only the first %1 are listed. Please narrow the search.</translation>
    </message>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="338"/>
        <source>Backup successful. The file holds the %1 listed logs only: more than %2 logs were found.</source>
        <translation>Backup successful. The file holds the %1 listed logs only: more than %2 logs were found.</translation>
    </message>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="372"/>
        <source>Backup Failed.</source>
        <translation>Backup Failed.</translation>
    </message>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="375"/>
        <source>Unknown error.</source>
        <translation>Unknown error.</translation>
    </message>
    <message>
        <location filename="../devicelog/LogChoices.cpp" line="19"/>
        <source>Signal Lost</source>
        <translation>Signal Lost</translation>
    </message>
    <message>
        <location filename="../devicelog/LogChoices.cpp" line="20"/>
        <source>IP camera has duplicated IP address</source>
        <translation>IP camera has duplicated IP address</translation>
    </message>
    <message>
        <location filename="../devicelog/LogChoices.cpp" line="21"/>
        <source>Capture Error</source>
        <translation>Capture Error</translation>
    </message>
    <message>
        <location filename="../devicelog/LogChoices.cpp" line="22"/>
        <source>Video Out Standard Mismatch</source>
        <translation>Video Out Standard Mismatch</translation>
    </message>
    <message>
        <location filename="../devicelog/LogChoices.cpp" line="23"/>
        <source>Turn Off</source>
        <translation>Turn Off</translation>
    </message>
    <message>
        <location filename="../devicelog/LogChoices.cpp" line="24"/>
        <source>Local Time Configuration</source>
        <translation>Local Time Configuration</translation>
    </message>
    <message>
        <location filename="../devicelog/LogChoices.cpp" line="25"/>
        <source>Local Operation: Restore Password</source>
        <translation>Local Operation: Restore Password</translation>
    </message>
    <message>
        <location filename="../devicelog/LogChoices.cpp" line="26"/>
        <source>Local Operation: Export Picture File</source>
        <translation>Local Operation: Export Picture File</translation>
    </message>
    <message>
        <location filename="../devicelog/LogChoices.cpp" line="27"/>
        <source>Local Operation: Start Capture</source>
        <translation>Local Operation: Start Capture</translation>
    </message>
    <message>
        <location filename="../devicelog/LogChoices.cpp" line="28"/>
        <source>Local Operation: Stop Capture</source>
        <translation>Local Operation: Stop Capture</translation>
    </message>
    <message>
        <location filename="../devicelog/LogChoices.cpp" line="29"/>
        <source>Local Operation: Operate Label</source>
        <translation>Local Operation: Operate Label</translation>
    </message>
    <message>
        <location filename="../devicelog/LogChoices.cpp" line="30"/>
        <source>Remote Operation: Export Picture File</source>
        <translation>Remote Operation: Export Picture File</translation>
    </message>
    <message>
        <location filename="../devicelog/LogChoices.cpp" line="31"/>
        <source>Remote Operation: Start Capture</source>
        <translation>Remote Operation: Start Capture</translation>
    </message>
    <message>
        <location filename="../devicelog/LogChoices.cpp" line="32"/>
        <source>Remote Operation: Stop Capture</source>
        <translation>Remote Operation: Stop Capture</translation>
    </message>
    <message>
        <location filename="../devicelog/LogChoices.cpp" line="33"/>
        <source>Remote Operation: Operate Tag</source>
        <translation>Remote Operation: Operate Tag</translation>
    </message>
    <message>
        <location filename="../devicelog/LogChoices.cpp" line="83"/>
        <source>Alarm</source>
        <translation>Alarm</translation>
    </message>
    <message>
        <location filename="../devicelog/LogChoices.cpp" line="84"/>
        <source>Exception</source>
        <translation>Exception</translation>
    </message>
    <message>
        <location filename="../devicelog/LogChoices.cpp" line="85"/>
        <source>Operation</source>
        <translation>Operation</translation>
    </message>
    <message>
        <location filename="../devicelog/LogChoices.cpp" line="99"/>
        <source>Unknown (0x%1)</source>
        <translation>Unknown (0x%1)</translation>
    </message>
    <message>
        <location filename="../devicelog/LogChoices.cpp" line="123"/>
        <source>The start time should be earlier than end time.</source>
        <translation>The start time should be earlier than end time.</translation>
    </message>
    <message>
        <location filename="../devicelog/LogChoices.cpp" line="125"/>
        <source>You can only search log within 30 days</source>
        <translation>You can only search log within 30 days</translation>
    </message>
</context>
<context>
    <name>CLogBackup</name>
    <message>
        <location filename="../devicelog/LogBackup.cpp" line="92"/>
        <source>Backup Log</source>
        <translation>Backup Log</translation>
    </message>
    <message>
        <location filename="../devicelog/LogBackup.cpp" line="93"/>
        <source>Backup</source>
        <translation>Backup</translation>
    </message>
    <message>
        <location filename="../devicelog/LogBackup.cpp" line="99"/>
        <source>Select backup path</source>
        <translation>Select backup path</translation>
    </message>
    <message>
        <location filename="../devicelog/LogBackup.cpp" line="108"/>
        <source>File path cannot be empty.</source>
        <translation>File path cannot be empty.</translation>
    </message>
</context>
<context>
    <name>CLogSearchProgress</name>
    <message>
        <location filename="../devicelog/LogBackup.cpp" line="31"/>
        <source>Progress</source>
        <translation>Progress</translation>
    </message>
</context>
<context>
    <name>CLogWidgetClass</name>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="160"/>
        <source>CLocalLogWidget</source>
        <translation>CLocalLogWidget</translation>
    </message>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="161"/>
        <source>Disk Name:</source>
        <translation>Disk Name:</translation>
    </message>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="162"/>
        <source>Main Type:</source>
        <translation>Main Type:</translation>
    </message>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="163"/>
        <source>Minor Type:</source>
        <translation>Minor Type:</translation>
    </message>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="164"/>
        <source>Start Time:</source>
        <translation>Start Time:</translation>
    </message>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="165"/>
        <source>Stop Time:</source>
        <translation>Stop Time:</translation>
    </message>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="166"/>
        <source>Search</source>
        <translation>Search</translation>
    </message>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="167"/>
        <source>Log List</source>
        <translation>Log List</translation>
    </message>
    <message>
        <location filename="../devicelog/LocalLogWidget.cpp" line="168"/>
        <source>Export</source>
        <translation>Export</translation>
    </message>
</context>
<context>
    <name>LogSearchProgressUi</name>
    <message>
        <location filename="../devicelog/LogBackup.cpp" line="17"/>
        <source>Form</source>
        <translation>Form</translation>
    </message>
</context>
<context>
    <name>UiLogBackup</name>
    <message>
        <location filename="../devicelog/LogBackup.cpp" line="85"/>
        <source>Form</source>
        <translation>Form</translation>
    </message>
    <message>
        <location filename="../devicelog/LogBackup.cpp" line="86"/>
        <source>File Path:</source>
        <translation>File Path:</translation>
    </message>
</context>
</TS>
