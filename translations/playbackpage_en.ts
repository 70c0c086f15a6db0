<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>CPlayBackWidget</name>
    <message>
        <source>Window</source>
        <translation>Window</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>Frame</source>
        <translation>Frame</translation>
    </message>
    <message>
        <source>Download</source>
        <translation>Download</translation>
    </message>
    <message>
        <source>View Mode</source>
        <translation>View Mode</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>Volume</source>
        <translation>Volume</translation>
    </message>
    <message>
        <source>Information</source>
        <translation>Information</translation>
    </message>
    <message>
        <source>Do you want to stop playback?</source>
        <translation>Do you want to stop playback?</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Play</translation>
    </message>
    <message>
        <source>Normal play</source>
        <translation>Normal play</translation>
    </message>
    <message>
        <source>Synchonize play</source>
        <translation>Synchonize play</translation>
    </message>
    <message>
        <source>No video found!</source>
        <translation>No video found!</translation>
    </message>
    <message>
        <source>Cannot get video from disk..</source>
        <translation>Cannot get video from disk..</translation>
    </message>
    <message>
        <source>CPlayBackWidget</source>
        <translation>CPlayBackWidget</translation>
    </message>
    <message>
        <source>Disk Name:</source>
        <translation>Disk Name:</translation>
    </message>
    <message>
        <source>From:</source>
        <translation>From:</translation>
    </message>
    <message>
        <source>To:</source>
        <translation>To:</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>Search</translation>
    </message>
    <message>
        <source>Type:</source>
        <translation>Type:</translation>
    </message>
    <message>
        <source>Full Screen</source>
        <translation>Full Screen</translation>
    </message>
</context>
</TS>
