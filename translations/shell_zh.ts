<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>CDlgAbout</name>
    <message>
        <source>About</source>
        <translation>关于</translation>
    </message>
    <message>
        <source>Local Playback Software</source>
        <translation>本地回放软件</translation>
    </message>
</context>
<context>
    <name>CDlgAboutClass</name>
    <message>
        <source>About</source>
        <translation>关于</translation>
    </message>
</context>
<context>
    <name>CSettingsWidget</name>
    <message>
        <source>Capture</source>
        <translation>抓图</translation>
    </message>
    <message>
        <source>Clip</source>
        <translation>剪辑</translation>
    </message>
    <message>
        <source>Download</source>
        <translation>下载</translation>
    </message>
    <message>
        <source>Save Type:</source>
        <translation>保存格式：</translation>
    </message>
    <message>
        <source>Package Size:</source>
        <translation>打包大小：</translation>
    </message>
    <message>
        <source>Save Path:</source>
        <translation>保存路径：</translation>
    </message>
    <message>
        <source>change</source>
        <translation>更改</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>保存</translation>
    </message>
    <message>
        <source>JPEG</source>
        <translation>JPEG</translation>
    </message>
    <message>
        <source>BMP</source>
        <translation>BMP</translation>
    </message>
    <message>
        <source>32MB</source>
        <translation>32MB</translation>
    </message>
    <message>
        <source>128MB</source>
        <translation>128MB</translation>
    </message>
    <message>
        <source>Select Directory</source>
        <translation>选择文件夹</translation>
    </message>
    <message>
        <source>The free space of this folder cannot be checked.</source>
        <translation>无法检查此文件夹的剩余空间。</translation>
    </message>
    <message>
        <source>At least 500M disk space is need.</source>
        <translation>至少需要500M磁盘空间。</translation>
    </message>
    <message>
        <source>At least 2G disk space is need.</source>
        <translation>至少需要2G磁盘空间。</translation>
    </message>
    <message>
        <source>Save successful.</source>
        <translation>保存成功。</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>错误</translation>
    </message>
    <message>
        <source>Save failed.</source>
        <translation>保存失败。</translation>
    </message>
</context>
<context>
    <name>CVarpenMainWnd</name>
    <message>
        <source>Information</source>
        <translation>提示</translation>
    </message>
    <message>
        <source>Save new settings?</source>
        <translation>是否保存新的设置？</translation>
    </message>
    <message>
        <source>DiskSpace is low.</source>
        <translation>磁盘空间不足。</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>确认</translation>
    </message>
    <message>
        <source>Sure to close software</source>
        <translation>确定要关闭软件吗</translation>
    </message>
</context>
<context>
    <name>CVarpenMainWndClass</name>
    <message>
        <source>DarizArevudud</source>
        <translation>DarizArevudud</translation>
    </message>
    <message>
        <source>Playback</source>
        <translation>回放</translation>
    </message>
    <message>
        <source>View Log</source>
        <translation>查看日志</translation>
    </message>
    <message>
        <source>Config</source>
        <translation>配置</translation>
    </message>
    <message>
        <source>About</source>
        <translation>关于</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>DarizArevudud</source>
        <translation>DarizArevudud</translation>
    </message>
</context>
</TS>
