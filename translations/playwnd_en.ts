<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>CPlaybackWnd</name>
    <message>
        <location filename="../playback/PlaybackWnd.cpp" line="89"/>
        <location filename="../playback/PlaybackWnd.cpp" line="108"/>
        <source>Digital Zoom</source>
        <translation>Digital Zoom</translation>
    </message>
    <message>
        <location filename="../playback/PlaybackWnd.cpp" line="90"/>
        <source>Capture</source>
        <translation>Capture</translation>
    </message>
    <message>
        <location filename="../playback/PlaybackWnd.cpp" line="91"/>
        <location filename="../playback/PlaybackWnd.cpp" line="111"/>
        <location filename="../playback/PlaybackWnd.cpp" line="503"/>
        <source>Start Recording</source>
        <translation>Start Recording</translation>
    </message>
    <message>
        <location filename="../playback/PlaybackWnd.cpp" line="92"/>
        <location filename="../playback/PlaybackWnd.cpp" line="112"/>
        <location filename="../playback/PlaybackWnd.cpp" line="514"/>
        <source>Open Sound</source>
        <translation>Open Sound</translation>
    </message>
    <message>
        <location filename="../playback/PlaybackWnd.cpp" line="109"/>
        <source>DownLoad</source>
        <translation>DownLoad</translation>
    </message>
    <message>
        <location filename="../playback/PlaybackWnd.cpp" line="110"/>
        <source>Snapshot</source>
        <translation>Snapshot</translation>
    </message>
    <message>
        <location filename="../playback/PlaybackWnd.cpp" line="113"/>
        <location filename="../playback/PlaybackWnd.cpp" line="487"/>
        <source>Full Screen</source>
        <translation>Full Screen</translation>
    </message>
    <message>
        <location filename="../playback/PlaybackWnd.cpp" line="136"/>
        <source>Window</source>
        <translation>Window</translation>
    </message>
    <message>
        <location filename="../playback/PlaybackWnd.cpp" line="166"/>
        <source>channel</source>
        <translation>channel</translation>
    </message>
    <message>
        <location filename="../playback/PlaybackWnd.cpp" line="314"/>
        <location filename="../playback/PlaybackWnd.cpp" line="427"/>
        <source>Disk Space is low.</source>
        <translation>Disk Space is low.</translation>
    </message>
    <message>
        <location filename="../playback/PlaybackWnd.cpp" line="320"/>
        <source>start recording.</source>
        <translation>start recording.</translation>
    </message>
    <message>
        <location filename="../playback/PlaybackWnd.cpp" line="322"/>
        <source>start recording failed.</source>
        <translation>start recording failed.</translation>
    </message>
    <message>
        <location filename="../playback/PlaybackWnd.cpp" line="431"/>
        <source>Snapshot failed.</source>
        <translation>Snapshot failed.</translation>
    </message>
    <message>
        <location filename="../playback/PlaybackWnd.cpp" line="487"/>
        <source>Exit Full Screen</source>
        <translation>Exit Full Screen</translation>
    </message>
    <message>
        <location filename="../playback/PlaybackWnd.cpp" line="503"/>
        <source>Stop Recording</source>
        <translation>Stop Recording</translation>
    </message>
    <message>
        <location filename="../playback/PlaybackWnd.cpp" line="514"/>
        <source>Close Sound</source>
        <translation>Close Sound</translation>
    </message>
    <message>
        <location filename="../playback/PlaybackWndLogic.cpp" line="119"/>
        <source>Cannot get video from disk.</source>
        <translation>Cannot get video from disk.</translation>
    </message>
    <message>
        <location filename="../playback/PlaybackWndLogic.cpp" line="120"/>
        <source>The video has reach the end.</source>
        <translation>The video has reach the end.</translation>
    </message>
    <message>
        <location filename="../playback/PlaybackWndLogic.cpp" line="121"/>
        <source>Clip Exception.</source>
        <translation>Clip Exception.</translation>
    </message>
</context>
</TS>
