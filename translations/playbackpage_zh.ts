<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>CPlayBackWidget</name>
    <message>
        <source>Window</source>
        <translation>窗口</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>停止</translation>
    </message>
    <message>
        <source>Frame</source>
        <translation>单帧</translation>
    </message>
    <message>
        <source>Download</source>
        <translation>下载</translation>
    </message>
    <message>
        <source>View Mode</source>
        <translation>显示模式</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>暂停</translation>
    </message>
    <message>
        <source>Volume</source>
        <translation>音量</translation>
    </message>
    <message>
        <source>Information</source>
        <translation>提示</translation>
    </message>
    <message>
        <source>Do you want to stop playback?</source>
        <translation>是否停止回放？</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>播放</translation>
    </message>
    <message>
        <source>Normal play</source>
        <translation>普通播放</translation>
    </message>
    <message>
        <source>Synchonize play</source>
        <translation>同步播放</translation>
    </message>
    <message>
        <source>No video found!</source>
        <translation>没有找到录像！</translation>
    </message>
    <message>
        <source>Cannot get video from disk..</source>
        <translation>无法从磁盘读取录像。</translation>
    </message>
    <message>
        <source>CPlayBackWidget</source>
        <translation>回放</translation>
    </message>
    <message>
        <source>Disk Name:</source>
        <translation>磁盘名称:</translation>
    </message>
    <message>
        <source>From:</source>
        <translation>开始:</translation>
    </message>
    <message>
        <source>To:</source>
        <translation>结束:</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>搜索</translation>
    </message>
    <message>
        <source>Type:</source>
        <translation>类型:</translation>
    </message>
    <message>
        <source>Full Screen</source>
        <translation>全屏</translation>
    </message>
</context>
</TS>
