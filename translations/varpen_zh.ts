<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>COstraApplication</name>
    <message>
        <source>DarizArevudud</source>
        <translation>DarizArevudud</translation>
    </message>
    <message>
        <source>Software is already running.</source>
        <translation>软件已在运行。</translation>
    </message>
    <message>
        <source>The least resolution is 1024*768.</source>
        <translation>最低分辨率为1024*768。</translation>
    </message>
</context>
<context>
    <name>CVarpenMainWnd</name>
    <message>
        <source>DarizArevudud</source>
        <translation>DarizArevudud</translation>
    </message>
</context>
<context>
    <name>CWarnDlg</name>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
</context>
</TS>
