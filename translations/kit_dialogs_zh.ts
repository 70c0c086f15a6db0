<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>CBaseDialogClass</name>
    <message>
        <source>Dialog</source>
        <translation>对话框</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
</context>
<context>
    <name>CFakeChaseDialog</name>
    <message>
        <source>CFakeChaseDialog</source>
        <translation>CFakeChaseDialog</translation>
    </message>
    <message>
        <source>Searching for channels</source>
        <translation>正在搜索通道</translation>
    </message>
    <message>
        <source>No Channel Detected</source>
        <translation>未检测到通道</translation>
    </message>
</context>
<context>
    <name>CFileDialog</name>
    <message>
        <source>%1 already exists.
Do you want to replace it?</source>
        <translation>%1 已存在。
是否要替换它？</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>确认</translation>
    </message>
</context>
<context>
    <name>CPathComboBox</name>
    <message>
        <source>Select Directory</source>
        <translation>选择目录</translation>
    </message>
</context>
<context>
    <name>CProgress</name>
    <message>
        <source>Progress</source>
        <translation>进度</translation>
    </message>
</context>
<context>
    <name>CUiSnapshotInfoWnd</name>
    <message>
        <source>Form</source>
        <translation>窗体</translation>
    </message>
</context>
<context>
    <name>CWarnDlgClass</name>
    <message>
        <source>CWarmDlg</source>
        <translation>CWarmDlg</translation>
    </message>
</context>
<context>
    <name>KitDialogsGallery</name>
    <message>
        <source>Information</source>
        <translation>提示</translation>
    </message>
    <message>
        <source>The content frame of a dialog.</source>
        <translation>对话框的内容区域。</translation>
    </message>
    <message>
        <source>Please input the file path.</source>
        <translation>请输入文件路径。</translation>
    </message>
    <message>
        <source>Search...</source>
        <translation>搜索中...</translation>
    </message>
    <message>
        <source>Writing...</source>
        <translation>写入中...</translation>
    </message>
    <message>
        <source>Select Directory</source>
        <translation>选择目录</translation>
    </message>
    <message>
        <source>Save to:</source>
        <translation>保存到：</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>搜索</translation>
    </message>
    <message>
        <source>Download</source>
        <translation>下载</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>错误</translation>
    </message>
    <message>
        <source>DownLoad Exception.</source>
        <translation>下载异常。</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>确认</translation>
    </message>
    <message>
        <source>Sure to close software</source>
        <translation>确定关闭软件吗</translation>
    </message>
    <message>
        <source>The folder of the clips has less free space than the clip package size needs. Free some space on that disk or choose another folder in the settings, then try again. Recordings already saved are kept. The file /home/op/Videos/Varpen/Clip/&lt;20240305&gt;/CH01 &amp; CH02.mp4 was not written.</source>
        <translation>剪辑文件夹的剩余空间小于剪辑打包大小所需的空间。请释放该磁盘上的空间，或在设置中选择其他文件夹，然后重试。已保存的录像会保留。文件 /home/op/Videos/Varpen/Clip/&lt;20240305&gt;/CH01 &amp; CH02.mp4 未写入。</translation>
    </message>
    <message>
        <source>Save successful.</source>
        <translation>保存成功。</translation>
    </message>
    <message>
        <source>varpen-gallery/20240305/clip &lt;1&gt; &amp; 2.mp4</source>
        <translation>varpen-gallery/20240305/剪辑 &lt;1&gt; &amp; 2.mp4</translation>
    </message>
</context>
<context>
    <name>ProgressUi</name>
    <message>
        <source>Form</source>
        <translation>窗体</translation>
    </message>
</context>
<context>
    <name>SnapShotDialog</name>
    <message>
        <source>Snapshot</source>
        <translation>抓图</translation>
    </message>
    <message>
        <source>Select File</source>
        <translation>选择文件</translation>
    </message>
    <message>
        <source>Image Files(*.png *.jpg *.jpeg *.bmp)</source>
        <translation>图片文件(*.png *.jpg *.jpeg *.bmp)</translation>
    </message>
</context>
</TS>
