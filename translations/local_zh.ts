<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>XmlEntryFile</name>
    <message>
        <source>The file %1 is not a settings file that can be read. The program starts with its default settings.</source>
        <translation>文件 %1 不是可以读取的设置文件。程序将以默认设置启动。</translation>
    </message>
</context>
</TS>
