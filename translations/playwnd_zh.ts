<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>CPlaybackWnd</name>
    <message>
        <location filename="../playback/PlaybackWnd.cpp" line="89"/>
        <location filename="../playback/PlaybackWnd.cpp" line="108"/>
        <source>Digital Zoom</source>
        <translation>电子放大</translation>
    </message>
    <message>
        <location filename="../playback/PlaybackWnd.cpp" line="90"/>
        <source>Capture</source>
        <translation>抓图</translation>
    </message>
    <message>
        <location filename="../playback/PlaybackWnd.cpp" line="91"/>
        <location filename="../playback/PlaybackWnd.cpp" line="111"/>
        <location filename="../playback/PlaybackWnd.cpp" line="503"/>
        <source>Start Recording</source>
        <translation>开始录像</translation>
    </message>
    <message>
        <location filename="../playback/PlaybackWnd.cpp" line="92"/>
        <location filename="../playback/PlaybackWnd.cpp" line="112"/>
        <location filename="../playback/PlaybackWnd.cpp" line="514"/>
        <source>Open Sound</source>
        <translation>打开声音</translation>
    </message>
    <message>
        <location filename="../playback/PlaybackWnd.cpp" line="109"/>
        <source>DownLoad</source>
        <translation>下载</translation>
    </message>
    <message>
        <location filename="../playback/PlaybackWnd.cpp" line="110"/>
        <source>Snapshot</source>
        <translation>抓图</translation>
    </message>
    <message>
        <location filename="../playback/PlaybackWnd.cpp" line="113"/>
        <location filename="../playback/PlaybackWnd.cpp" line="487"/>
        <source>Full Screen</source>
        <translation>全屏</translation>
    </message>
    <message>
        <location filename="../playback/PlaybackWnd.cpp" line="136"/>
        <source>Window</source>
        <translation>窗口</translation>
    </message>
    <message>
        <location filename="../playback/PlaybackWnd.cpp" line="166"/>
        <source>channel</source>
        <translation>通道</translation>
    </message>
    <message>
        <location filename="../playback/PlaybackWnd.cpp" line="314"/>
        <location filename="../playback/PlaybackWnd.cpp" line="427"/>
        <source>Disk Space is low.</source>
        <translation>磁盘空间不足。</translation>
    </message>
    <message>
        <location filename="../playback/PlaybackWnd.cpp" line="320"/>
        <source>start recording.</source>
        <translation>开始录像。</translation>
    </message>
    <message>
        <location filename="../playback/PlaybackWnd.cpp" line="322"/>
        <source>start recording failed.</source>
        <translation>开始录像失败。</translation>
    </message>
    <message>
        <location filename="../playback/PlaybackWnd.cpp" line="431"/>
        <source>Snapshot failed.</source>
        <translation>抓图失败。</translation>
    </message>
    <message>
        <location filename="../playback/PlaybackWnd.cpp" line="487"/>
        <source>Exit Full Screen</source>
        <translation>退出全屏</translation>
    </message>
    <message>
        <location filename="../playback/PlaybackWnd.cpp" line="503"/>
        <source>Stop Recording</source>
        <translation>停止录像</translation>
    </message>
    <message>
        <location filename="../playback/PlaybackWnd.cpp" line="514"/>
        <source>Close Sound</source>
        <translation>关闭声音</translation>
    </message>
    <message>
        <location filename="../playback/PlaybackWndLogic.cpp" line="119"/>
        <source>Cannot get video from disk.</source>
        <translation>无法从磁盘读取录像。</translation>
    </message>
    <message>
        <location filename="../playback/PlaybackWndLogic.cpp" line="120"/>
        <source>The video has reach the end.</source>
        <translation>录像已播放到结尾。</translation>
    </message>
    <message>
        <location filename="../playback/PlaybackWndLogic.cpp" line="121"/>
        <source>Clip Exception.</source>
        <translation>剪辑异常。</translation>
    </message>
</context>
</TS>
