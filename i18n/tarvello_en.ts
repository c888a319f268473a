<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>AdjustProgress</name>
    <message>
        <source>自动调节中: 第 %1 次  </source>
        <translation>Adjusting, pass %1: </translation>
    </message>
    <message>
        <source>打印机无应答 (连续 %1 次)</source>
        <translation>no reply (%1 in a row)</translation>
    </message>
    <message>
        <source>应答无读数 (连续 %1 次)</source>
        <translation>no reading (%1 in a row)</translation>
    </message>
    <message>
        <source>此介质可能达不到该电压标准</source>
        <translation>may not reach this standard</translation>
    </message>
    <message>
        <source>灵敏度 %1  发光强度 %2</source>
        <translation>level %1, intensity %2</translation>
    </message>
    <message>
        <source> (第 %1 次)</source>
        <translation> (pass %1)</translation>
    </message>
    <message>
        <source>自动调节已停止: 按了“停止”</source>
        <translation>Adjustment stopped: Stop pressed</translation>
    </message>
    <message>
        <source>自动调节已停止: 切换了页面</source>
        <translation>Adjustment stopped: page changed</translation>
    </message>
    <message>
        <source>自动调节已停止</source>
        <translation>Adjustment stopped</translation>
    </message>
    <message>
        <source>自动调节已停止: 串口已关闭</source>
        <translation>Adjustment stopped: port closed</translation>
    </message>
    <message>
        <source>自动调节已停止: 命令无法写入串口</source>
        <translation>Adjustment stopped: port write failed</translation>
    </message>
    <message>
        <source>自动调节完成: 灵敏度 %1  发光强度 %2  %3 V</source>
        <translation>Adjusted: level %1, intensity %2, %3 V</translation>
    </message>
    <message>
        <source>正在停止自动调节…</source>
        <translation>Stopping the adjustment…</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>停止自动调节</source>
        <translation>Stop the adjustment</translation>
    </message>
    <message>
        <source>%1, %2 s…</source>
        <translation>%1, %2 s…</translation>
    </message>
    <message>
        <source>自动调节已因纸张检测停止 (第 %1 次)</source>
        <translation>Adjustment stopped for the paper check (pass %1)</translation>
    </message>
    <message>
        <source>%1, %2 / %3 s…</source>
        <translation>%1, %2/%3 s…</translation>
    </message>
</context>
<context>
    <name>CGuidedCalibration</name>
    <message>
        <source>引导校准</source>
        <translation>Guided calibration</translation>
    </message>
    <message>
        <source>&lt; 上一步(&amp;B)</source>
        <translation>&lt; &amp;Back</translation>
    </message>
    <message>
        <source>下一步(&amp;N) &gt;</source>
        <translation>&amp;Next &gt;</translation>
    </message>
    <message>
        <source>完成(&amp;F)</source>
        <translation>&amp;Finish</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>关闭引导校准？已经完成的步骤保存的值保留在 parameterset.ini 中。</source>
        <translation>Close the guided calibration? What the finished steps saved stays in parameterset.ini.</translation>
    </message>
</context>
<context>
    <name>CGuidedFinishPage</name>
    <message>
        <source>结果</source>
        <translation>Result</translation>
    </message>
    <message>
        <source>每一步的结果，以及保存到 parameterset.ini 的值。</source>
        <translation>What each step gave, and the values saved to parameterset.ini.</translation>
    </message>
    <message>
        <source>结论</source>
        <translation>Verdict</translation>
    </message>
    <message>
        <source>各步结果</source>
        <translation>Results of the steps</translation>
    </message>
    <message>
        <source>保存的值</source>
        <translation>Values saved</translation>
    </message>
    <message>
        <source>要重做的步骤</source>
        <translation>Step to repeat</translation>
    </message>
    <message>
        <source>重做步骤(&amp;R)</source>
        <translation>&amp;Repeat step</translation>
    </message>
    <message>
        <source>重做步骤</source>
        <translation>Repeat step</translation>
    </message>
    <message>
        <source>%1: %2%3</source>
        <translation>%1: %2%3</translation>
    </message>
    <message>
        <source>反射式传感器</source>
        <translation>Reflective sensor</translation>
    </message>
    <message>
        <source>透射式传感器</source>
        <translation>Transmissive sensor</translation>
    </message>
    <message>
        <source> (部分)</source>
        <translation> (partial)</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>%1: &lt;span style=&quot;color:#b00000&quot;&gt;没有完成 (%2)&lt;/span&gt;</source>
        <translation>%1: &lt;span style=&quot;color:#b00000&quot;&gt;not done (%2)&lt;/span&gt;</translation>
    </message>
    <message>
        <source>%1: 没有进行</source>
        <translation>%1: not taken</translation>
    </message>
    <message>
        <source>parameterset.ini 没有改变。</source>
        <translation>parameterset.ini was not changed.</translation>
    </message>
    <message>
        <source>保存到 parameterset.ini: %1</source>
        <translation>Saved to parameterset.ini: %1</translation>
    </message>
    <message>
        <source>、</source>
        <translation>, </translation>
    </message>
    <message>
        <source>整体结论: %1%2</source>
        <translation>Overall verdict: %1%2</translation>
    </message>
    <message>
        <source>校准记录</source>
        <translation>Calibration record</translation>
    </message>
    <message>
        <source>保存报告(&amp;S)…</source>
        <translation>&amp;Save report…</translation>
    </message>
    <message>
        <source>保存报告</source>
        <translation>Save report</translation>
    </message>
    <message>
        <source>PDF 文件 (*.pdf)</source>
        <translation>PDF files (*.pdf)</translation>
    </message>
    <message>
        <source>报告已保存到 %1</source>
        <translation>Report saved to %1</translation>
    </message>
    <message>
        <source>报告未保存：%1</source>
        <translation>Report not saved: %1</translation>
    </message>
    <message>
        <source>还没有这次校准的记录。</source>
        <translation>There is no record of this calibration yet.</translation>
    </message>
</context>
<context>
    <name>CGuidedSetupPage</name>
    <message>
        <source>引导校准</source>
        <translation>Guided calibration</translation>
    </message>
    <message>
        <source>选择介质配置，扫描或输入打印机编号，然后按“下一步”。</source>
        <translation>Choose the media profile, scan or type the printer ID, then press Next.</translation>
    </message>
    <message>
        <source>介质配置</source>
        <translation>Media profile</translation>
    </message>
    <message>
        <source>介质配置(&amp;P):</source>
        <translation>Media &amp;profile:</translation>
    </message>
    <message>
        <source>打印机编号</source>
        <translation>Printer ID</translation>
    </message>
    <message>
        <source>扫描条码或输入</source>
        <translation>Scan the barcode or type</translation>
    </message>
    <message>
        <source>打印机编号(&amp;I):</source>
        <translation>Printer &amp;ID:</translation>
    </message>
    <message>
        <source>操作员</source>
        <translation>Operator</translation>
    </message>
    <message>
        <source>操作员(&amp;O):</source>
        <translation>&amp;Operator:</translation>
    </message>
    <message>
        <source>反射式传感器</source>
        <translation>Reflective sensor</translation>
    </message>
    <message>
        <source>透射式传感器</source>
        <translation>Transmissive sensor</translation>
    </message>
    <message>
        <source>%1的电压标准</source>
        <translation>Voltage standard of the %1</translation>
    </message>
    <message>
        <source>电压标准:</source>
        <translation>Voltage standard:</translation>
    </message>
    <message>
        <source>说明</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>打印机编号不能为空，也不能含控制字符。</source>
        <translation>The printer ID must not be empty or hold control characters.</translation>
    </message>
    <message>
        <source>操作员不能为空，也不能含控制字符。</source>
        <translation>The operator must not be empty or hold control characters.</translation>
    </message>
    <message>
        <source>至少选择一个传感器。</source>
        <translation>Choose at least one sensor.</translation>
    </message>
    <message>
        <source>%1的电压标准必须是 0.0 到 5.0 之间大于 0 的数。</source>
        <translation>The voltage standard of the %1 must be a number above 0 and up to 5.0.</translation>
    </message>
    <message>
        <source>介质配置的说明</source>
        <translation>About the media profile</translation>
    </message>
    <message>
        <source>%1；只能使用 Standard 和工厂的配置。</source>
        <translation>%1; only Standard and the plant&apos;s profiles can be used.</translation>
    </message>
    <message>
        <source>串口未打开：关闭此向导，在“端口配置”页打开串口后再开始。</source>
        <translation>The port is not open: close this wizard, open the port on the &quot;Port settings&quot; page, then start again.</translation>
    </message>
    <message>
        <source>%1（工厂）</source>
        <translation>%1 (plant)</translation>
    </message>
</context>
<context>
    <name>CGuidedStepPage</name>
    <message>
        <source>传感器下的介质</source>
        <translation>Media under the sensor</translation>
    </message>
    <message>
        <source>当前读数</source>
        <translation>Current reading</translation>
    </message>
    <message>
        <source>调节进度</source>
        <translation>Adjustment progress</translation>
    </message>
    <message>
        <source>调节曲线</source>
        <translation>Adjustment curve</translation>
    </message>
    <message>
        <source>结果</source>
        <translation>Result</translation>
    </message>
    <message>
        <source>重做此步(&amp;R)</source>
        <translation>&amp;Repeat step</translation>
    </message>
    <message>
        <source>重做此步</source>
        <translation>Repeat step</translation>
    </message>
    <message>
        <source>停止(&amp;S)</source>
        <translation>&amp;Stop</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>调节没有开始：电压标准无效。</source>
        <translation>The adjustment did not start: the voltage standard is not valid.</translation>
    </message>
    <message>
        <source>串口未打开。</source>
        <translation>The port is not open.</translation>
    </message>
    <message>
        <source>等级 %1，光强度 %2，%3（%4 次）</source>
        <translation>level %1, intensity %2, %3 (%4 passes)</translation>
    </message>
    <message>
        <source>四个等级都试过了，没有达到电压标准：检查介质和传感器。</source>
        <translation>All four levels were tried without reaching the voltage standard: check the media and the sensor.</translation>
    </message>
    <message>
        <source>样本 %1 和 %2，电压差 %3 V</source>
        <translation>samples %1 and %2, voltage difference %3 V</translation>
    </message>
    <message>
        <source>正在结束当前的交换…</source>
        <translation>Ending the exchange in progress…</translation>
    </message>
    <message>
        <source>当前读数: -- (%1)</source>
        <translation>Current reading: -- (%1)</translation>
    </message>
    <message>
        <source>当前读数: %1</source>
        <translation>Current reading: %1</translation>
    </message>
    <message>
        <source>纸已放回：%1</source>
        <translation>Paper back in place: %1</translation>
    </message>
    <message>
        <source>正在进行…</source>
        <translation>In progress…</translation>
    </message>
    <message>
        <source>此步没有完成: %1</source>
        <translation>This step was not done: %1</translation>
    </message>
    <message>
        <source>光强度无效 (0..255)，读数未发送。</source>
        <translation>The intensity is not valid (0..255); no reading was sent.</translation>
    </message>
    <message>
        <source>读数帧无法写出：线路故障。</source>
        <translation>The reading frame could not be written: the line failed.</translation>
    </message>
    <message>
        <source>打印机没有给出读数。</source>
        <translation>The printer gave no reading.</translation>
    </message>
    <message>
        <source>纸张校验的帧无法写出或串口已关闭：线路故障。</source>
        <translation>A frame of the paper check could not be written or the port closed: the line failed.</translation>
    </message>
    <message>
        <source>纸张校验的回复不是四位十六进制数，校验提前结束。</source>
        <translation>A reply of the paper check was not four hexadecimal digits; the check ended early.</translation>
    </message>
    <message>
        <source>打印机的值给不出可用的校验等待时间，校验没有测量。</source>
        <translation>The printer&apos;s values give no usable check wait; the check did not measure.</translation>
    </message>
    <message>
        <source>反射式传感器</source>
        <translation>Reflective sensor</translation>
    </message>
    <message>
        <source>透射式传感器</source>
        <translation>Transmissive sensor</translation>
    </message>
    <message>
        <source>自动调节</source>
        <translation>automatic adjustment</translation>
    </message>
    <message>
        <source>标记读数</source>
        <translation>mark reading</translation>
    </message>
    <message>
        <source>无纸读数</source>
        <translation>no-paper reading</translation>
    </message>
    <message>
        <source>有纸读数</source>
        <translation>paper reading</translation>
    </message>
    <message>
        <source>重新装纸</source>
        <translation>reload</translation>
    </message>
    <message>
        <source>纸张校验</source>
        <translation>paper check</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>把一个黑色标记放在传感器下，然后按“下一步”取读数。</source>
        <translation>Put a black mark under the sensor, then press Next to take the reading.</translation>
    </message>
    <message>
        <source>取出传感器下的所有介质，然后按“下一步”取读数。</source>
        <translation>Take all media out from under the sensor, then press Next to take the reading.</translation>
    </message>
    <message>
        <source>把一张标签（连同底纸）放在传感器下，然后按“下一步”取读数。</source>
        <translation>Put a label (on its liner) under the sensor, then press Next to take the reading.</translation>
    </message>
    <message>
        <source>装上标签纸，使传感器下是标签间隙，然后按“下一步”开始调节。</source>
        <translation>Load the label stock with a gap under the sensor, then press Next to start the adjustment.</translation>
    </message>
    <message>
        <source>装上标签纸，然后按“下一步”开始纸张校验。</source>
        <translation>Load the label stock, then press Next to start the paper check.</translation>
    </message>
    <message>
        <source>把纸放在传感器下，然后按“下一步”开始调节。</source>
        <translation>Put paper under the sensor, then press Next to start the adjustment.</translation>
    </message>
    <message>
        <source>把纸重新放回传感器下。读数回到调节的范围内（连续三次）后自动继续。</source>
        <translation>Put the paper back under the sensor. The flow goes on by itself once the reading is back in the adjustment&apos;s band (three times in a row).</translation>
    </message>
    <message>
        <source>纸放在传感器下，然后按“下一步”开始纸张校验。</source>
        <translation>With paper under the sensor, press Next to start the paper check.</translation>
    </message>
    <message>
        <source>纸张校验已停止。</source>
        <translation>The paper check was stopped.</translation>
    </message>
    <message>
        <source>连续在范围内的读数: %1 / %2</source>
        <translation>Readings in a row within the band: %1 / %2</translation>
    </message>
</context>
<context>
    <name>CRecordsModel</name>
    <message>
        <source>开始时间</source>
        <translation>Started</translation>
    </message>
    <message>
        <source>打印机编号</source>
        <translation>Printer ID</translation>
    </message>
    <message>
        <source>结论</source>
        <translation>Verdict</translation>
    </message>
    <message>
        <source>类型</source>
        <translation>Kind</translation>
    </message>
    <message>
        <source>介质配置</source>
        <translation>Profile</translation>
    </message>
    <message>
        <source>操作员</source>
        <translation>Operator</translation>
    </message>
    <message>
        <source>工位</source>
        <translation>Station</translation>
    </message>
</context>
<context>
    <name>CRecordsWindow</name>
    <message>
        <source>线路记录</source>
        <translation>Line trace</translation>
    </message>
    <message>
        <source>反射式</source>
        <translation>Reflective</translation>
    </message>
    <message>
        <source>透射式</source>
        <translation>Transmissive</translation>
    </message>
    <message>
        <source>%1 的记录（新的在上）</source>
        <translation>Records of %1 (newest first)</translation>
    </message>
    <message>
        <source>开始时间</source>
        <translation>Started</translation>
    </message>
    <message>
        <source>结论</source>
        <translation>Verdict</translation>
    </message>
    <message>
        <source>类型</source>
        <translation>Kind</translation>
    </message>
    <message>
        <source>传感器</source>
        <translation>Sensor</translation>
    </message>
    <message>
        <source>灵敏度等级</source>
        <translation>Level</translation>
    </message>
    <message>
        <source>光强</source>
        <translation>Intensity</translation>
    </message>
    <message>
        <source>对比度 V</source>
        <translation>Contrast V</translation>
    </message>
    <message>
        <source>与 %1 的合格记录相比</source>
        <translation>Against the pass of %1</translation>
    </message>
    <message>
        <source>没有漂移。</source>
        <translation>No drift.</translation>
    </message>
    <message>
        <source>漂移：</source>
        <translation>Drift:</translation>
    </message>
    <message>
        <source>此前没有合格的记录可比较。</source>
        <translation>No earlier pass to compare with.</translation>
    </message>
    <message>
        <source>请先选择一条记录。</source>
        <translation>Select a record first.</translation>
    </message>
    <message>
        <source>记录无法读取：%1</source>
        <translation>The records cannot be read: %1</translation>
    </message>
    <message>
        <source>最近一次合格已超过 %1 天的打印机</source>
        <translation>Printers whose last pass is older than %1 days</translation>
    </message>
    <message>
        <source>从未合格</source>
        <translation>never passed</translation>
    </message>
    <message>
        <source>工厂数据库</source>
        <translation>Plant database</translation>
    </message>
    <message>
        <source>连接（例如 host=db.plant dbname=tarvello user=quality sslmode=require；密码请放在 ~/.pgpass 中，这里不接受）：</source>
        <translation>Connection (e.g. host=db.plant dbname=tarvello user=quality sslmode=require; put the password in ~/.pgpass, it is not taken here):</translation>
    </message>
    <message>
        <source>连接未使用：%1</source>
        <translation>Connection not used: %1</translation>
    </message>
    <message>
        <source>校准记录 — 工厂数据库（%1）</source>
        <translation>Records — plant database (%1)</translation>
    </message>
    <message>
        <source>校准记录</source>
        <translation>Records</translation>
    </message>
    <message>
        <source>不合格</source>
        <translation>Fail</translation>
    </message>
    <message>
        <source>记录详情</source>
        <translation>Record details</translation>
    </message>
    <message>
        <source>正在读取 %1…</source>
        <translation>Reading %1…</translation>
    </message>
    <message>
        <source>共 %1 条记录（%2）</source>
        <translation>%1 records (%2)</translation>
    </message>
    <message>
        <source>打印机编号</source>
        <translation>Printer ID</translation>
    </message>
    <message>
        <source>操作员</source>
        <translation>Operator</translation>
    </message>
    <message>
        <source>介质配置</source>
        <translation>Profile</translation>
    </message>
    <message>
        <source>全部结论</source>
        <translation>Any verdict</translation>
    </message>
    <message>
        <source>合格</source>
        <translation>Pass</translation>
    </message>
    <message>
        <source>临界</source>
        <translation>Marginal</translation>
    </message>
    <message>
        <source>从</source>
        <translation>From</translation>
    </message>
    <message>
        <source>到</source>
        <translation>To</translation>
    </message>
    <message>
        <source>查询</source>
        <translation>Search</translation>
    </message>
    <message>
        <source>与以前的记录比较</source>
        <translation>Compare with previous</translation>
    </message>
    <message>
        <source>逾期</source>
        <translation>Overdue</translation>
    </message>
    <message>
        <source> 天</source>
        <translation> days</translation>
    </message>
    <message>
        <source>逾期天数</source>
        <translation>Days overdue</translation>
    </message>
    <message>
        <source>导出 CSV…</source>
        <translation>Export CSV…</translation>
    </message>
    <message>
        <source>导出 CSV</source>
        <translation>Export CSV</translation>
    </message>
    <message>
        <source>CSV 文件 (*.csv)</source>
        <translation>CSV files (*.csv)</translation>
    </message>
    <message>
        <source>导出报告 PDF…</source>
        <translation>Report PDF…</translation>
    </message>
    <message>
        <source>导出报告</source>
        <translation>Export report</translation>
    </message>
    <message>
        <source>PDF 文件 (*.pdf)</source>
        <translation>PDF files (*.pdf)</translation>
    </message>
    <message>
        <source>记录文件…</source>
        <translation>Records file…</translation>
    </message>
    <message>
        <source>工厂数据库…</source>
        <translation>Plant database…</translation>
    </message>
    <message>
        <source>正在读取记录…</source>
        <translation>Reading the records…</translation>
    </message>
    <message>
        <source>记录文件已损坏（%1）。
把它原样移到一边（保留，不覆盖），并新建一个记录文件吗？</source>
        <translation>The records file is damaged (%1).
Move it aside as it is (kept, never overwritten) and start a new records file?</translation>
    </message>
    <message>
        <source>损坏的文件已移到 %1；新的记录文件已建立。</source>
        <translation>The damaged file was moved to %1; a new records file has been started.</translation>
    </message>
    <message>
        <source>无法移开损坏的文件：%1</source>
        <translation>The damaged file could not be moved aside: %1</translation>
    </message>
    <message>
        <source>正在导出…</source>
        <translation>Exporting…</translation>
    </message>
    <message>
        <source>CSV 未写入：%1</source>
        <translation>CSV not written: %1</translation>
    </message>
    <message>
        <source>%1 条记录已写入 %2</source>
        <translation>%1 records written to %2</translation>
    </message>
    <message>
        <source>报告已写入 %1</source>
        <translation>Report written to %1</translation>
    </message>
    <message>
        <source>报告未写入：%1</source>
        <translation>Report not written: %1</translation>
    </message>
    <message>
        <source>记录文件</source>
        <translation>Records file</translation>
    </message>
    <message>
        <source>记录文件 (*.sqlite)</source>
        <translation>Records files (*.sqlite)</translation>
    </message>
    <message>
        <source>已保存；本次运行仍使用 --records 指定的文件。</source>
        <translation>Saved; this run still uses the file --records names.</translation>
    </message>
</context>
<context>
    <name>CSensorPage</name>
    <message>
        <source>标准电压 %1 V 的合格范围低于 0.1 V, 传感器达不到: 调整将找不到结果。</source>
        <translation>The band of the standard %1 V lies below 0.1 V, which the sensor does not reach: the adjustment will find no result.</translation>
    </message>
    <message>
        <source>纸张检测: 打印机走纸中</source>
        <translation>Paper check: the printer feeds</translation>
    </message>
    <message>
        <source>纸张检测: 打印机走纸中 (自动调节已停止)</source>
        <translation>Paper check (adjustment stopped): feeding</translation>
    </message>
</context>
<context>
    <name>CTarvelloDlg</name>
    <message>
        <source>正在打开端口。停止并关闭吗?</source>
        <translation>The port is being opened. Stop it and close?</translation>
    </message>
    <message>
        <source>正在进行自动调节。停止并关闭吗?</source>
        <translation>An adjustment is running. Stop it and close?</translation>
    </message>
    <message>
        <source>正在读取电压。停止并关闭吗?</source>
        <translation>A reading is running. Stop it and close?</translation>
    </message>
    <message>
        <source>正在进行纸张检测。停止并关闭吗?</source>
        <translation>A paper check is running. Stop it and close?</translation>
    </message>
</context>
<context>
    <name>CurveChart</name>
    <message>
        <source>尚无调整</source>
        <translation>No adjustment yet</translation>
    </message>
    <message>
        <source>调整中...</source>
        <translation>Adjusting...</translation>
    </message>
    <message>
        <source>调整成功</source>
        <translation>Adjustment succeeded</translation>
    </message>
    <message>
        <source>调整已停止</source>
        <translation>Adjustment stopped</translation>
    </message>
    <message>
        <source>串口已关闭</source>
        <translation>Port closed</translation>
    </message>
    <message>
        <source>写入失败</source>
        <translation>Write failed</translation>
    </message>
    <message>
        <source>单次读取</source>
        <translation>Single reading</translation>
    </message>
    <message>
        <source>纸张检测 第一次</source>
        <translation>Paper check, first sample</translation>
    </message>
    <message>
        <source>纸张检测 第二次</source>
        <translation>Paper check, second sample</translation>
    </message>
    <message>
        <source>纸张检测 结果</source>
        <translation>Paper check, result</translation>
    </message>
    <message>
        <source>电压标准</source>
        <translation>Voltage standard</translation>
    </message>
    <message>
        <source>有纸电压</source>
        <translation>Paper voltage</translation>
    </message>
    <message>
        <source>标记电压</source>
        <translation>Mark voltage</translation>
    </message>
    <message>
        <source>无纸电压</source>
        <translation>No-paper voltage</translation>
    </message>
    <message>
        <source>衬纸电压</source>
        <translation>Liner voltage</translation>
    </message>
    <message>
        <source>电压差值</source>
        <translation>Voltage difference</translation>
    </message>
    <message>
        <source>反射式传感器</source>
        <translation>Reflective sensor</translation>
    </message>
    <message>
        <source>穿透式传感器</source>
        <translation>Transmissive sensor</translation>
    </message>
    <message>
        <source>次数</source>
        <translation>Pass</translation>
    </message>
    <message>
        <source>电压 (V)</source>
        <translation>Voltage (V)</translation>
    </message>
    <message>
        <source>强度</source>
        <translation>Intensity</translation>
    </message>
    <message>
        <source>成功范围</source>
        <translation>Success band</translation>
    </message>
    <message>
        <source>级别 %1</source>
        <translation>Level %1</translation>
    </message>
    <message>
        <source>来源</source>
        <translation>Source</translation>
    </message>
    <message>
        <source>电压</source>
        <translation>Voltage</translation>
    </message>
    <message>
        <source>值 (V)</source>
        <translation>Value (V)</translation>
    </message>
    <message>
        <source>导出 PNG...</source>
        <translation>Export PNG...</translation>
    </message>
    <message>
        <source>导出 CSV...</source>
        <translation>Export CSV...</translation>
    </message>
    <message>
        <source>导出 PNG</source>
        <translation>Export PNG</translation>
    </message>
    <message>
        <source>导出 CSV</source>
        <translation>Export CSV</translation>
    </message>
    <message>
        <source>  目标 %1 V, 范围 %2 - %3 V, %4 个读数</source>
        <translation>  target %1 V, band %2 - %3 V, %4 readings</translation>
    </message>
    <message>
        <source> (前 %1 个读数未显示)</source>
        <translation> (the first %1 readings not shown)</translation>
    </message>
    <message>
        <source>第 %1 次
级别 %2
强度 %3
原始值 %4
电压 %5 V</source>
        <translation>Pass %1
Level %2
Intensity %3
Raw value %4
Voltage %5 V</translation>
    </message>
    <message>
        <source>已保存到 %1</source>
        <translation>Saved to %1</translation>
    </message>
    <message>
        <source>无法写入 %1。</source>
        <translation>Could not write %1.</translation>
    </message>
    <message>
        <source>  判定: %1</source>
        <translation>  Verdict: %1</translation>
    </message>
</context>
<context>
    <name>DataFolder</name>
    <message>
        <source>无法创建数据文件夹 %1</source>
        <translation>Cannot create the data folder %1</translation>
    </message>
</context>
<context>
    <name>DiagnosticsWindow</name>
    <message>
        <source>诊断</source>
        <translation>Diag.</translation>
    </message>
    <message>
        <source>线路跟踪 (Ctrl+T)</source>
        <translation>Line trace (Ctrl+T)</translation>
    </message>
    <message>
        <source>调整曲线 (Ctrl+G)</source>
        <translation>Adjustment curves (Ctrl+G)</translation>
    </message>
    <message>
        <source>诊断: 线路跟踪 (Ctrl+T) 与调整曲线 (Ctrl+G); 窗口 Ctrl+D</source>
        <translation>Diagnostics: line trace (Ctrl+T) and adjustment curves (Ctrl+G); window Ctrl+D</translation>
    </message>
</context>
<context>
    <name>GuidedEntry</name>
    <message>
        <source>引导校准…</source>
        <translation>Guided calibration…</translation>
    </message>
    <message>
        <source>引导校准…</source>
        <comment>header button</comment>
        <translation>Guided…</translation>
    </message>
</context>
<context>
    <name>NoteBox</name>
    <message>
        <source>文件只读或没有写入权限</source>
        <translation>the file is read-only or may not be written</translation>
    </message>
    <message>
        <source>文件系统只读</source>
        <translation>the file system is read-only</translation>
    </message>
    <message>
        <source>磁盘空间不足</source>
        <translation>the disk is full</translation>
    </message>
    <message>
        <source>文件夹不存在</source>
        <translation>the folder does not exist</translation>
    </message>
    <message>
        <source>不是普通文件</source>
        <translation>not a regular file</translation>
    </message>
    <message>
        <source>无法写入文件</source>
        <translation>the file could not be written</translation>
    </message>
    <message>
        <source>参数文件保存失败!
文件: %1
原因: %2</source>
        <translation>Parameter file not saved!
File: %1
Reason: %2</translation>
    </message>
    <message>
        <source>串口未打开!</source>
        <translation>Port not open!</translation>
    </message>
    <message>
        <source>串口打开错误!</source>
        <translation>Port open error!</translation>
    </message>
</context>
<context>
    <name>Page1</name>
    <message>
        <source>请按“关闭端口”后再试。</source>
        <translation> Press “Close port” and try again.</translation>
    </message>
    <message>
        <source>握手命令无法写入 %1。</source>
        <translation>The handshake command could not be written to %1.</translation>
    </message>
    <message>
        <source>打印机在 1 秒内没有应答握手命令。请检查打印机电源、连接线和波特率。</source>
        <translation>The printer did not answer the handshake within 1 second. Check the printer&apos;s power, the cable and the baud rate.</translation>
    </message>
    <message>
        <source>打印机的应答不是 “Y”，收到：%1。请检查波特率和其他设置。</source>
        <translation>The printer answered %1 instead of “Y”. Check the baud rate and the other settings.</translation>
    </message>
    <message>
        <source>访问码命令无法写入 %1。</source>
        <translation>The access code command could not be written to %1.</translation>
    </message>
    <message>
        <source>没有选择串口。</source>
        <translation>No port is selected.</translation>
    </message>
    <message>
        <source>设备 %1 不存在。请检查串口号，以及 USB 转串口线是否已插好。</source>
        <translation>The device %1 does not exist. Check the port, and that the USB serial adapter is plugged in.</translation>
    </message>
    <message>
        <source>%1 已被另一个程序占用。请关闭正在使用它的程序后再试。</source>
        <translation>%1 is in use by another program. Close that program and try again.</translation>
    </message>
    <message>
        <source>没有打开 %1 的权限。在 Linux 上，用户须属于 dialout 组（sudo usermod -aG dialout 用户名，然后重新登录）。</source>
        <translation>No permission to open %1. On Linux the user must be in the group dialout (sudo usermod -aG dialout USER, then log in again).</translation>
    </message>
    <message>
        <source>没有打开 %1 的权限。</source>
        <translation>No permission to open %1.</translation>
    </message>
    <message>
        <source>%1 无法按所选设置配置（波特率、数据位、停止位、校验位或握手信号）。</source>
        <translation>%1 does not accept the chosen settings (baud rate, data bits, stop bits, parity or handshake).</translation>
    </message>
    <message>
        <source>系统拒绝打开 %1。</source>
        <translation>The system refused to open %1.</translation>
    </message>
    <message>
        <source>虚拟打印机</source>
        <translation>virtual printer</translation>
    </message>
    <message>
        <source>正在打开 %1: 等待打印机应答</source>
        <translation>Opening %1: waiting for the printer&apos;s answer</translation>
    </message>
    <message>
        <source>连接已断开: 打印机或串口适配器已不在线路上。端口已关闭; 请检查电缆和适配器, 然后重新打开端口。</source>
        <translation>Connection lost: the printer or the serial adapter is no longer on the line. The port has been closed; check the cable and the adapter, then open the port again.</translation>
    </message>
</context>
<context>
    <name>PageSensor</name>
    <message>
        <source>请输入一个整数。</source>
        <translation>Enter an integer.</translation>
    </message>
    <message>
        <source>请输入一个数字。</source>
        <translation>Enter a number.</translation>
    </message>
    <message>
        <source>请输入一个介于 %1 和 %2 之间的整数。</source>
        <translation>Enter an integer from %1 to %2.</translation>
    </message>
    <message>
        <source>请输入一个介于 %1 和 %2 之间的数字。</source>
        <translation>Enter a number from %1 to %2.</translation>
    </message>
</context>
<context>
    <name>PlantRecords</name>
    <message>
        <source>用户 %1 的角色不能读取工厂数据库中的记录（工位角色只能写入）；请用质量角色的用户连接</source>
        <translation>User %1&apos;s role may not read records in the plant database (a station role may only add them); connect as a user with the quality role</translation>
    </message>
</context>
<context>
    <name>PlantStatus</name>
    <message>
        <source>正在连接工厂数据库…</source>
        <translation>Connecting to the plant database…</translation>
    </message>
    <message>
        <source>工厂数据库</source>
        <translation>Plant database</translation>
    </message>
    <message>
        <source>PostgreSQL 连接字符串（host、port、dbname、user、sslmode；不含密码，密码放在 ~/.pgpass）。留空则不发送：</source>
        <translation>PostgreSQL connection string (host, port, dbname, user, sslmode; no password: the password goes in ~/.pgpass). Leave it empty to send nothing:</translation>
    </message>
    <message>
        <source>记录文件无法读取：%1</source>
        <translation>The records file cannot be read: %1</translation>
    </message>
    <message>
        <source>工厂数据库：记录已全部发送</source>
        <translation>Plant database: every record sent</translation>
    </message>
    <message>
        <source>%1 条记录等待发送到工厂数据库</source>
        <translation>%1 records waiting for the plant database</translation>
    </message>
    <message>
        <source>（%1）</source>
        <translation> (%1)</translation>
    </message>
    <message>
        <source>工厂数据库…</source>
        <translation>Plant database…</translation>
    </message>
    <message>
        <source>工厂数据库未启用：%1</source>
        <translation>Plant database not used: %1</translation>
    </message>
</context>
<context>
    <name>Profile</name>
    <message>
        <source>“%1”须为 %2 到 %3 之间的数</source>
        <translation>“%1” must be a number from %2 to %3</translation>
    </message>
    <message>
        <source>未知的步骤“%1”</source>
        <translation>unknown step “%1”</translation>
    </message>
    <message>
        <source>对比度的勉强限值不能高于合格限值</source>
        <translation>the contrast&apos;s marginal limit cannot lie above its pass limit</translation>
    </message>
    <message>
        <source>介质配置缺少名称</source>
        <translation>a media profile without a name</translation>
    </message>
    <message>
        <source>介质配置“%1”来自更新的版本，本程序无法读取</source>
        <translation>the media profile “%1” comes from a newer version of the program and cannot be read</translation>
    </message>
    <message>
        <source>介质配置“%1”：%2</source>
        <translation>media profile “%1”: %2</translation>
    </message>
</context>
<context>
    <name>ProfileChooser</name>
    <message>
        <source>%1（工厂）</source>
        <translation>%1 (plant)</translation>
    </message>
    <message>
        <source>另存为介质配置</source>
        <translation>Save as profile</translation>
    </message>
    <message>
        <source>名称：</source>
        <translation>Name:</translation>
    </message>
    <message>
        <source>介质配置</source>
        <translation>Media profile</translation>
    </message>
    <message>
        <source>已有名为“%1”的介质配置。替换它吗？</source>
        <translation>A media profile named “%1” exists already. Replace it?</translation>
    </message>
    <message>
        <source>判定限值</source>
        <translation>Verdict limits</translation>
    </message>
    <message>
        <source>对比度合格限值</source>
        <translation>Contrast pass limit</translation>
    </message>
    <message>
        <source>检纸两个采样之差至少为电源电压的这一比例才算合格（5.0 V 时 6 % 为 0.30 V）。</source>
        <translation>The paper check&apos;s two samples must differ by at least this share of the supply to pass (6 % is 0.30 V at 5.0 V).</translation>
    </message>
    <message>
        <source>对比度勉强限值</source>
        <translation>Contrast marginal limit</translation>
    </message>
    <message>
        <source>低于合格限值但不低于此比例为勉强，再低为不合格。</source>
        <translation>Below the pass limit but not below this share is marginal; lower is a fail.</translation>
    </message>
    <message>
        <source>光强余量</source>
        <translation>Headroom</translation>
    </message>
    <message>
        <source>最终设定距光强用尽（灵敏度 00、发光强度 255）少于这么多级为勉强。</source>
        <translation>A final setting fewer intensity steps than this from where the light runs out (level 00, intensity 255) is marginal.</translation>
    </message>
    <message>
        <source>另存为介质配置…</source>
        <translation>Save as profile…</translation>
    </message>
    <message>
        <source>判定限值…</source>
        <translation>Verdict limits…</translation>
    </message>
    <message>
        <source>勉强限值不能高于合格限值：降低勉强限值或提高合格限值。</source>
        <translation>The marginal limit cannot lie above the pass limit: lower the marginal limit or raise the pass limit.</translation>
    </message>
    <message>
        <source>导入介质配置</source>
        <translation>Import profiles</translation>
    </message>
    <message>
        <source>介质配置 (*.json)</source>
        <translation>Media profiles (*.json)</translation>
    </message>
    <message>
        <source>无法读取 %1：%2</source>
        <translation>Cannot read %1: %2</translation>
    </message>
    <message>
        <source>%1 没有导入：%2</source>
        <translation>Nothing of %1 was imported: %2</translation>
    </message>
    <message>
        <source>已导入：%1</source>
        <translation>Imported: %1</translation>
    </message>
    <message>
        <source>还没有自己的介质配置可导出：先用“另存为介质配置…”保存一个。</source>
        <translation>There are no profiles of your own to export yet: save one first with &quot;Save as profile…&quot;.</translation>
    </message>
    <message>
        <source>导出介质配置</source>
        <translation>Export profiles</translation>
    </message>
    <message>
        <source>无法写入 %1：%2</source>
        <translation>Could not write %1: %2</translation>
    </message>
    <message>
        <source>已导出到 %1</source>
        <translation>Exported to %1</translation>
    </message>
    <message>
        <source>导入介质配置…</source>
        <translation>Import profiles…</translation>
    </message>
    <message>
        <source>导出当前介质配置…</source>
        <translation>Export this profile…</translation>
    </message>
    <message>
        <source>导出全部介质配置…</source>
        <translation>Export all my profiles…</translation>
    </message>
    <message>
        <source>= %1 V（电源 %2 V）</source>
        <translation>= %1 V (supply %2 V)</translation>
    </message>
    <message>
        <source>“%1”在此只读：修改将另存为新的介质配置。</source>
        <translation>“%1” is read-only here: your changes are saved as a new profile.</translation>
    </message>
    <message>
        <source>已有同名的介质配置：%1。用导入的替换吗？</source>
        <translation>Profiles of the same name exist already: %1. Replace them with the imported ones?</translation>
    </message>
</context>
<context>
    <name>ProfileStore</name>
    <message>
        <source>无法读取 %1：%2</source>
        <translation>cannot read %1: %2</translation>
    </message>
    <message>
        <source>第 %1 行第 %2 列：%3</source>
        <translation>line %1, column %2: %3</translation>
    </message>
    <message>
        <source>介质配置文件 %1 无法读取（%2）；文件保持原样，使用“Standard”</source>
        <translation>The media profile file %1 cannot be read (%2); the file is kept as it is and “Standard” is used</translation>
    </message>
    <message>
        <source>没有名为“%1”的介质配置</source>
        <translation>There is no media profile named “%1”</translation>
    </message>
    <message>
        <source>介质配置文件已损坏，请先修复或删除 %1</source>
        <translation>The media profile file is damaged: mend or remove %1 first</translation>
    </message>
    <message>
        <source>“Standard”是内置配置，不能更改；请另取名称保存</source>
        <translation>“Standard” is built in and cannot be changed; save it under another name</translation>
    </message>
    <message>
        <source>“%1”是工厂数据库的配置，在此只读</source>
        <translation>“%1” is a profile of the plant database and read-only here</translation>
    </message>
    <message>
        <source>已有名为“%1”的介质配置（替换需确认）</source>
        <translation>A media profile named “%1” exists already (replacing it must be asked for)</translation>
    </message>
    <message>
        <source>没有名为“%1”的本地介质配置</source>
        <translation>There is no local media profile named “%1”</translation>
    </message>
    <message>
        <source>无法创建文件夹 %1</source>
        <translation>Cannot create the folder %1</translation>
    </message>
    <message>
        <source>无法保存 %1</source>
        <translation>Cannot save %1</translation>
    </message>
    <message>
        <source>“Standard”是内置配置，不能删除</source>
        <translation>“Standard” is built in and cannot be deleted</translation>
    </message>
</context>
<context>
    <name>RecordDrift</name>
    <message>
        <source>%1：对比度从 %2 V 降到 %3 V</source>
        <translation>%1: contrast fell from %2 V to %3 V</translation>
    </message>
    <message>
        <source>灵敏度等级</source>
        <translation>Level</translation>
    </message>
    <message>
        <source>光强</source>
        <translation>Intensity</translation>
    </message>
    <message>
        <source>%1：%2 从 %3 变为 %4</source>
        <translation>%1: %2 moved from %3 to %4</translation>
    </message>
</context>
<context>
    <name>RecordKeeper</name>
    <message numerus="yes">
        <source>%n 条记录只保留在内存中: 关闭程序前请检查记录文件。</source>
        <translation>
            <numerusform>%n record is kept in memory only: check the records file before closing the program.</numerusform>
            <numerusform>%n records are kept in memory only: check the records file before closing the program.</numerusform>
        </translation>
    </message>
    <message>
        <source>记录已保存</source>
        <translation>Record stored</translation>
    </message>
    <message>
        <source>记录没有保存: %1 记录暂存在 %2, 以后自动存入。</source>
        <translation>Record not stored: %1 It waits in %2 and is stored there later.</translation>
    </message>
    <message>
        <source>记录没有保存: %1</source>
        <translation>Record not stored: %1</translation>
    </message>
</context>
<context>
    <name>RecordReport</name>
    <message>
        <source>轮次（纵轴：电压 V）</source>
        <translation>Pass (vertical: volts)</translation>
    </message>
    <message>
        <source>未判定</source>
        <translation>Not judged</translation>
    </message>
    <message>
        <source>传感器</source>
        <translation>Sensor</translation>
    </message>
    <message>
        <source>判据</source>
        <translation>Criteria</translation>
    </message>
    <message>
        <source>测量值</source>
        <translation>Value</translation>
    </message>
    <message>
        <source>限值（合格 / 临界）</source>
        <translation>Limits (pass / marginal)</translation>
    </message>
    <message>
        <source>结果</source>
        <translation>Outcome</translation>
    </message>
    <message>
        <source>说明</source>
        <translation>Sentence</translation>
    </message>
    <message>
        <source>校准记录 %1</source>
        <translation>Calibration record %1</translation>
    </message>
    <message>
        <source>打印机编号</source>
        <translation>Printer ID</translation>
    </message>
    <message>
        <source>结论</source>
        <translation>Verdict</translation>
    </message>
    <message>
        <source>类型</source>
        <translation>Kind</translation>
    </message>
    <message>
        <source>介质配置</source>
        <translation>Profile</translation>
    </message>
    <message>
        <source>操作员</source>
        <translation>Operator</translation>
    </message>
    <message>
        <source>工位</source>
        <translation>Station</translation>
    </message>
    <message>
        <source>开始（UTC）</source>
        <translation>Started (UTC)</translation>
    </message>
    <message>
        <source>结束（UTC）</source>
        <translation>Finished (UTC)</translation>
    </message>
    <message>
        <source>程序版本</source>
        <translation>Program version</translation>
    </message>
    <message>
        <source>记录编号</source>
        <translation>Record ID</translation>
    </message>
    <message>
        <source>数值</source>
        <translation>Values</translation>
    </message>
    <message>
        <source>调整曲线：%1</source>
        <translation>Adjustment curve: %1</translation>
    </message>
</context>
<context>
    <name>RecordStore</name>
    <message>
        <source>没有编号为 %1 的记录</source>
        <translation>There is no record %1</translation>
    </message>
    <message>
        <source>无法打开校准记录文件 %1：%2</source>
        <translation>Cannot open the records file %1: %2</translation>
    </message>
    <message>
        <source>校准记录文件 %1 已损坏（完整性检查未通过）；文件保持原样，可将其移到一旁并新建</source>
        <translation>The records file %1 is damaged (its integrity check failed); it is kept as it is, and can be moved aside for a new one</translation>
    </message>
    <message>
        <source>校准记录文件 %1 来自更新的程序（格式 %2，本程序只认识到 %3）；文件未作任何改动</source>
        <translation>The records file %1 comes from a newer program (format %2, this one knows up to %3); the file was not changed</translation>
    </message>
    <message>
        <source>升级 %1 之前无法保留副本 %2；文件未作改动</source>
        <translation>Cannot keep the copy %2 before upgrading %1; the file was not changed</translation>
    </message>
    <message>
        <source>记录未存入 %1：%2</source>
        <translation>The record was not stored in %1: %2</translation>
    </message>
    <message>
        <source>也无法写入备用文件 %1：%2</source>
        <translation>nor could it be written to the side file %1: %2</translation>
    </message>
    <message>
        <source>无法把 %1 移到 %2</source>
        <translation>Cannot move %1 to %2</translation>
    </message>
</context>
<context>
    <name>RecordsEntry</name>
    <message>
        <source>校准记录</source>
        <translation>Records</translation>
    </message>
</context>
<context>
    <name>TarvelloDlg</name>
    <message>
        <source>界面: 中文</source>
        <translation>Interface: Chinese</translation>
    </message>
    <message>
        <source>界面: English</source>
        <translation>Interface: English</translation>
    </message>
    <message>
        <source>无法保存界面语言的选择。</source>
        <translation>The choice of language could not be saved.</translation>
    </message>
    <message>
        <source>界面语言在下次启动时切换。</source>
        <translation>The interface changes its language at the next start.</translation>
    </message>
</context>
<context>
    <name>Templates</name>
    <message>
        <source>Tarvello 1.5 版</source>
        <translation>Tarvello version 1.5</translation>
    </message>
    <message>
        <source>标签打印机介质传感器调试</source>
        <translation>Label printer sensor setup</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>传感器调试工具</source>
        <translation>Sensor Setup Tool</translation>
    </message>
    <message>
        <source>色带传感器</source>
        <translation>Ribbon</translation>
    </message>
    <message>
        <source>存在传感器</source>
        <translation>Presence</translation>
    </message>
    <message>
        <source>微动开关</source>
        <translation>Head sw.</translation>
    </message>
    <message>
        <source>传感器电源</source>
        <translation>Supply</translation>
    </message>
    <message>
        <source>打开端口</source>
        <translation>Open port</translation>
    </message>
    <message>
        <source>关闭端口</source>
        <translation>Close port</translation>
    </message>
    <message>
        <source>串口号</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>波特率</source>
        <translation>Baud</translation>
    </message>
    <message>
        <source>数据位</source>
        <translation>Data bits</translation>
    </message>
    <message>
        <source>停止位</source>
        <translation>Stop bits</translation>
    </message>
    <message>
        <source>校验位</source>
        <translation>Parity</translation>
    </message>
    <message>
        <source>握手信号</source>
        <translation>Handshake</translation>
    </message>
    <message>
        <source>端口配置</source>
        <translation>Port settings</translation>
    </message>
    <message>
        <source>调节有纸电压</source>
        <translation>Adjust paper</translation>
    </message>
    <message>
        <source>获取标记电压</source>
        <translation>Read mark</translation>
    </message>
    <message>
        <source>获取无纸电压</source>
        <translation>Read no paper</translation>
    </message>
    <message>
        <source>电压标准</source>
        <translation>Standard</translation>
    </message>
    <message>
        <source>有纸电压</source>
        <translation>Paper</translation>
    </message>
    <message>
        <source>无纸电压</source>
        <translation>No paper</translation>
    </message>
    <message>
        <source>发光强度</source>
        <translation>Intensity</translation>
    </message>
    <message>
        <source>灵敏度</source>
        <translation>Level</translation>
    </message>
    <message>
        <source>标记电压</source>
        <translation>Mark</translation>
    </message>
    <message>
        <source>纸张校验</source>
        <translation>Paper check</translation>
    </message>
    <message>
        <source>电压差值</source>
        <translation>Difference</translation>
    </message>
    <message>
        <source>调节衬纸电压</source>
        <translation>Adjust liner</translation>
    </message>
    <message>
        <source>获取有纸电压</source>
        <translation>Read paper</translation>
    </message>
    <message>
        <source>衬纸电压</source>
        <translation>Liner</translation>
    </message>
    <message>
        <source>关于 Tarvello</source>
        <translation>About Tarvello</translation>
    </message>
    <message>
        <source>反射传感器调节</source>
        <translation>Reflective</translation>
    </message>
    <message>
        <source>透射传感器调节</source>
        <translation>Transmissive</translation>
    </message>
    <message>
        <source>无</source>
        <translation>None</translation>
    </message>
    <message>
        <source>奇</source>
        <translation>Odd</translation>
    </message>
    <message>
        <source>偶</source>
        <translation>Even</translation>
    </message>
    <message>
        <source>关于 Tarvello(&amp;A)...</source>
        <translation>&amp;About Tarvello...</translation>
    </message>
</context>
<context>
    <name>TraceModel</name>
    <message>
        <source>打开串口</source>
        <translation>Port open</translation>
    </message>
    <message>
        <source>状态监视</source>
        <translation>Monitor</translation>
    </message>
    <message>
        <source>自动调整</source>
        <translation>Adjustment</translation>
    </message>
    <message>
        <source>单次读取</source>
        <translation>Single reading</translation>
    </message>
    <message>
        <source>纸张检测</source>
        <translation>Paper check</translation>
    </message>
    <message>
        <source>命令行</source>
        <translation>Command line</translation>
    </message>
    <message>
        <source>未标记</source>
        <translation>Untagged</translation>
    </message>
    <message>
        <source>时间 (秒)</source>
        <translation>Time (s)</translation>
    </message>
    <message>
        <source>来源</source>
        <translation>Source</translation>
    </message>
    <message>
        <source>方向</source>
        <translation>Direction</translation>
    </message>
    <message>
        <source>十六进制</source>
        <translation>Hex</translation>
    </message>
    <message>
        <source>文本</source>
        <translation>Text</translation>
    </message>
    <message>
        <source>x (输出队列)</source>
        <translation>x (output queue)</translation>
    </message>
</context>
<context>
    <name>TraceView</name>
    <message>
        <source>暂停</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>全部来源</source>
        <translation>All sources</translation>
    </message>
    <message>
        <source>来源</source>
        <translation>Source</translation>
    </message>
    <message>
        <source>清除</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>保存...</source>
        <translation>Save...</translation>
    </message>
    <message>
        <source>来源:</source>
        <translation>Source:</translation>
    </message>
    <message>
        <source>继续</source>
        <translation>Resume</translation>
    </message>
    <message>
        <source>保存线路跟踪</source>
        <translation>Save line trace</translation>
    </message>
    <message>
        <source>文本文件 (*.txt);;所有文件 (*)</source>
        <translation>Text files (*.txt);;All files (*)</translation>
    </message>
    <message>
        <source>无法写入文件 %1</source>
        <translation>Cannot write the file %1</translation>
    </message>
    <message>
        <source>已丢失 %1 条记录</source>
        <translation>%1 entries dropped</translation>
    </message>
</context>
<context>
    <name>VerdictLine</name>
    <message>
        <source>判定</source>
        <translation>Verdict</translation>
    </message>
    <message>
        <source>判定：%1</source>
        <translation>Verdict: %1</translation>
    </message>
    <message>
        <source>（部分）</source>
        <translation> (partial)</translation>
    </message>
</context>
<context>
    <name>VerdictText</name>
    <message>
        <source>反射式传感器</source>
        <translation>the reflective sensor</translation>
    </message>
    <message>
        <source>透射式传感器</source>
        <translation>the transmissive sensor</translation>
    </message>
    <message>
        <source>%1：尚未测量，未判定。</source>
        <translation>%1: not measured yet, not judged.</translation>
    </message>
    <message>
        <source>%1相差 %2 V，不低于 %3 V。</source>
        <translation>%1 differ by %2 V, at least %3 V.</translation>
    </message>
    <message>
        <source>%1相差 %2 V；此介质至少需要 %3 V：请检查%4是否适合此介质。</source>
        <translation>%1 differ by %2 V; this media needs at least %3 V: check that %4 is the right one for this media.</translation>
    </message>
    <message>
        <source>未进行自动调整。</source>
        <translation>No automatic adjustment ran.</translation>
    </message>
    <message>
        <source>自动调整达到了目标范围。</source>
        <translation>The adjustment reached its band.</translation>
    </message>
    <message>
        <source>自动调整未达到目标范围：请清洁传感器，检查介质是否放在传感器下，或检查标准电压。</source>
        <translation>The adjustment did not reach its band: clean the sensor, check that the media lies under it, or check the standard.</translation>
    </message>
    <message>
        <source>调整未达到目标范围，余量未判定。</source>
        <translation>The adjustment did not reach its band; the headroom is not judged.</translation>
    </message>
    <message>
        <source>距光强用尽还有 %1 级。</source>
        <translation>%1 intensity steps are left before the light runs out.</translation>
    </message>
    <message>
        <source>距光强用尽只剩 %1 级：传感器可能脏污或老化，请清洁后重新校准。</source>
        <translation>Only %1 intensity steps are left before the light runs out: the sensor may be dirty or failing; clean it and calibrate again.</translation>
    </message>
    <message>
        <source>没有可判定的读数。</source>
        <translation>No reading to judge.</translation>
    </message>
    <message>
        <source>所有读数都在量程之内。</source>
        <translation>Every reading lies within the scale.</translation>
    </message>
    <message>
        <source>读数 %1 位于量程的端点或之外：传感器看不到光或已饱和。</source>
        <translation>The reading %1 lies at or beyond the end of the scale: the sensor is blind or saturated.</translation>
    </message>
    <message>
        <source>合格</source>
        <translation>Pass</translation>
    </message>
    <message>
        <source>勉强</source>
        <translation>Marginal</translation>
    </message>
    <message>
        <source>不合格</source>
        <translation>Fail</translation>
    </message>
    <message>
        <source>未判定</source>
        <translation>Not judged</translation>
    </message>
    <message>
        <source>目标范围</source>
        <translation>Band</translation>
    </message>
    <message>
        <source>光强余量</source>
        <translation>Headroom</translation>
    </message>
    <message>
        <source>检纸对比度</source>
        <translation>Paper check contrast</translation>
    </message>
    <message>
        <source>纸与黑标的对比度</source>
        <translation>Paper against mark</translation>
    </message>
    <message>
        <source>纸与无纸的对比度</source>
        <translation>Paper against no paper</translation>
    </message>
    <message>
        <source>无纸读数</source>
        <translation>No-paper reading</translation>
    </message>
    <message>
        <source>量程</source>
        <translation>Scale</translation>
    </message>
    <message>
        <source>检纸的两个采样</source>
        <translation>The paper check&apos;s two samples</translation>
    </message>
    <message>
        <source>黑标与纸</source>
        <translation>The mark and the paper</translation>
    </message>
    <message>
        <source>纸与无纸</source>
        <translation>The paper and no paper</translation>
    </message>
    <message>
        <source>黑标读数与无纸读数只差 %1 V：读无纸时介质是否已取出？</source>
        <translation>The mark and the no-paper readings differ by only %1 V: was the media removed for the no-paper reading?</translation>
    </message>
    <message>
        <source>黑标读数与无纸读数区分清楚。</source>
        <translation>The mark and the no-paper readings are clearly apart.</translation>
    </message>
    <message>
        <source>黑标或无纸读数尚未测量，未判定。</source>
        <translation>The mark or the no-paper reading was not taken; not judged.</translation>
    </message>
</context>
<context>
    <name>tarvello-cli</name>
    <message>
        <source>pass %1: level %2, intensity %3, %4 V</source>
        <translation>pass %1: level %2, intensity %3, %4 V</translation>
    </message>
    <message>
        <source>pass %1: level %2, intensity %3, no reading</source>
        <translation>pass %1: level %2, intensity %3, no reading</translation>
    </message>
    <message>
        <source>%1 V to %2 V</source>
        <translation>%1 V to %2 V</translation>
    </message>
    <message>
        <source>%1 sensor adjusted in %2 passes: level %3 (%4), intensity %5, %6 V</source>
        <translation>%1 sensor adjusted in %2 passes: level %3 (%4), intensity %5, %6 V</translation>
    </message>
    <message>
        <source>The %1 sensor did not reach %2 within %3 passes.</source>
        <translation>The %1 sensor did not reach %2 within %3 passes.</translation>
    </message>
    <message>
        <source>An adjustment frame could not be written after %1 passes; the line failed.</source>
        <translation>An adjustment frame could not be written after %1 passes; the line failed.</translation>
    </message>
    <message>
        <source>The port went away after %1 passes of the adjustment.</source>
        <translation>The port went away after %1 passes of the adjustment.</translation>
    </message>
    <message>
        <source>The adjustment could not be started.</source>
        <translation>The adjustment could not be started.</translation>
    </message>
    <message>
        <source>presence sensor</source>
        <translation>presence sensor</translation>
    </message>
    <message>
        <source>ribbon sensor</source>
        <translation>ribbon sensor</translation>
    </message>
    <message>
        <source>mark voltage</source>
        <translation>mark voltage</translation>
    </message>
    <message>
        <source>no-paper voltage</source>
        <translation>no-paper voltage</translation>
    </message>
    <message>
        <source>paper voltage</source>
        <translation>paper voltage</translation>
    </message>
    <message>
        <source>Stopped by a signal; the port is closed and nothing more was saved.</source>
        <translation>Stopped by a signal; the port is closed and nothing more was saved.</translation>
    </message>
    <message>
        <source>The parameter file %1 could not be saved: %2.</source>
        <translation>The parameter file %1 could not be saved: %2.</translation>
    </message>
    <message>
        <source>The status poll could not be written; the line failed.</source>
        <translation>The status poll could not be written; the line failed.</translation>
    </message>
    <message>
        <source>The printer sent no status reply.</source>
        <translation>The printer sent no status reply.</translation>
    </message>
    <message>
        <source>The intensity %1 saved in %2 is not from 0 to 255; give --intensity.</source>
        <translation>The intensity %1 saved in %2 is not from 0 to 255; give --intensity.</translation>
    </message>
    <message>
        <source>The reading frame could not be written; the line failed.</source>
        <translation>The reading frame could not be written; the line failed.</translation>
    </message>
    <message>
        <source>The printer gave no reading.</source>
        <translation>The printer gave no reading.</translation>
    </message>
    <message>
        <source>%1 sensor %2: %3 V</source>
        <translation>%1 sensor %2: %3 V</translation>
    </message>
    <message>
        <source>%1 V %2, %3 V voltage difference, %4 V %5</source>
        <translation>%1 V %2, %3 V voltage difference, %4 V %5</translation>
    </message>
    <message>
        <source>mark</source>
        <translation>mark</translation>
    </message>
    <message>
        <source>liner</source>
        <translation>liner</translation>
    </message>
    <message>
        <source>paper</source>
        <translation>paper</translation>
    </message>
    <message>
        <source>no paper</source>
        <translation>no paper</translation>
    </message>
    <message>
        <source>A reply of the paper check was not four hexadecimal digits; the check ended early.</source>
        <translation>A reply of the paper check was not four hexadecimal digits; the check ended early.</translation>
    </message>
    <message>
        <source>The printer&apos;s values give no usable check wait; the check ended before it measured.</source>
        <translation>The printer&apos;s values give no usable check wait; the check ended before it measured.</translation>
    </message>
    <message>
        <source>A frame of the paper check could not be written; the line failed.</source>
        <translation>A frame of the paper check could not be written; the line failed.</translation>
    </message>
    <message>
        <source>--baud must be one of 4800, 9600, 19200, 38400, 57600.</source>
        <translation>--baud must be one of 4800, 9600, 19200, 38400, 57600.</translation>
    </message>
    <message>
        <source>--data-bits must be 8 or 7.</source>
        <translation>--data-bits must be 8 or 7.</translation>
    </message>
    <message>
        <source>--stop-bits must be 1 or 2.</source>
        <translation>--stop-bits must be 1 or 2.</translation>
    </message>
    <message>
        <source>--parity must be none, odd or even.</source>
        <translation>--parity must be none, odd or even.</translation>
    </message>
    <message>
        <source>--handshake must be hardware or software.</source>
        <translation>--handshake must be hardware or software.</translation>
    </message>
    <message>
        <source>--supply must be 2.5, 3.3 or 5.0.</source>
        <translation>--supply must be 2.5, 3.3 or 5.0.</translation>
    </message>
    <message>
        <source>read needs a sensor and what to read: read reflective mark|no-paper, read transmissive no-paper|paper.</source>
        <translation>read needs a sensor and what to read: read reflective mark|no-paper, read transmissive no-paper|paper.</translation>
    </message>
    <message>
        <source>%1 needs a sensor: reflective or transmissive.</source>
        <translation>%1 needs a sensor: reflective or transmissive.</translation>
    </message>
    <message>
        <source>Unexpected argument &quot;%1&quot;.</source>
        <translation>Unexpected argument &quot;%1&quot;.</translation>
    </message>
    <message>
        <source>Unknown sensor &quot;%1&quot; (reflective or transmissive).</source>
        <translation>Unknown sensor &quot;%1&quot; (reflective or transmissive).</translation>
    </message>
    <message>
        <source>The %1 sensor reads %2 or %3, not &quot;%4&quot;.</source>
        <translation>The %1 sensor reads %2 or %3, not &quot;%4&quot;.</translation>
    </message>
    <message>
        <source>--standard and --max-passes belong to adjust.</source>
        <translation>--standard and --max-passes belong to adjust.</translation>
    </message>
    <message>
        <source>--level and --intensity belong to read.</source>
        <translation>--level and --intensity belong to read.</translation>
    </message>
    <message>
        <source>The standard &quot;%1&quot; is not a number from 0.0 to 5.0.</source>
        <translation>The standard &quot;%1&quot; is not a number from 0.0 to 5.0.</translation>
    </message>
    <message>
        <source>--max-passes must be a whole number of at least 1.</source>
        <translation>--max-passes must be a whole number of at least 1.</translation>
    </message>
    <message>
        <source>The level &quot;%1&quot; is not one of 0, 1, 2, 3.</source>
        <translation>The level &quot;%1&quot; is not one of 0, 1, 2, 3.</translation>
    </message>
    <message>
        <source>The intensity &quot;%1&quot; is not a whole number from 0 to 255.</source>
        <translation>The intensity &quot;%1&quot; is not a whole number from 0 to 255.</translation>
    </message>
    <message>
        <source>--port and --simulate exclude each other.</source>
        <translation>--port and --simulate exclude each other.</translation>
    </message>
    <message>
        <source>--port needs a device, e.g. --port /dev/ttyUSB0.</source>
        <translation>--port needs a device, e.g. --port /dev/ttyUSB0.</translation>
    </message>
    <message>
        <source>%1 needs the printer: --port DEVICE or --simulate.</source>
        <translation>%1 needs the printer: --port DEVICE or --simulate.</translation>
    </message>
    <message>
        <source>--ini needs a path.</source>
        <translation>--ini needs a path.</translation>
    </message>
    <message>
        <source>--trace needs a file.</source>
        <translation>--trace needs a file.</translation>
    </message>
    <message>
        <source>There is no device %1.</source>
        <translation>There is no device %1.</translation>
    </message>
    <message>
        <source>%1 is held by another program.</source>
        <translation>%1 is held by another program.</translation>
    </message>
    <message>
        <source>This user may not open %1 (is the user in the group dialout?).</source>
        <translation>This user may not open %1 (is the user in the group dialout?).</translation>
    </message>
    <message>
        <source>%1 refused the line settings.</source>
        <translation>%1 refused the line settings.</translation>
    </message>
    <message>
        <source>%1 could not be opened.</source>
        <translation>%1 could not be opened.</translation>
    </message>
    <message>
        <source>The connection frame could not be written to %1.</source>
        <translation>The connection frame could not be written to %1.</translation>
    </message>
    <message>
        <source>The printer on %1 did not answer the handshake.</source>
        <translation>The printer on %1 did not answer the handshake.</translation>
    </message>
    <message>
        <source>The printer on %1 refused the handshake (it answered %2).</source>
        <translation>The printer on %1 refused the handshake (it answered %2).</translation>
    </message>
    <message>
        <source>The access code could not be written to %1.</source>
        <translation>The access code could not be written to %1.</translation>
    </message>
    <message>
        <source>The virtual printer could not open a pseudo-terminal.</source>
        <translation>The virtual printer could not open a pseudo-terminal.</translation>
    </message>
    <message>
        <source>(--help lists the commands)</source>
        <translation>(--help lists the commands)</translation>
    </message>
    <message>
        <source>--%1 needs --simulate.</source>
        <translation>--%1 needs --simulate.</translation>
    </message>
    <message>
        <source>Verdict: %1%2%3</source>
        <translation>Verdict: %1%2%3</translation>
    </message>
    <message>
        <source> (partial)</source>
        <translation> (partial)</translation>
    </message>
    <message>
        <source>The verdict is fail: %1</source>
        <translation>The verdict is fail: %1</translation>
    </message>
    <message>
        <source>--replace belongs to profiles import.</source>
        <translation>--replace belongs to profiles import.</translation>
    </message>
    <message>
        <source>adjust needs --standard VOLTS (0.0 to 5.0) or --profile NAME.</source>
        <translation>adjust needs --standard VOLTS (0.0 to 5.0) or --profile NAME.</translation>
    </message>
    <message>
        <source>Unknown sensor &quot;%1&quot; (reflective, transmissive or both).</source>
        <translation>Unknown sensor &quot;%1&quot; (reflective, transmissive or both).</translation>
    </message>
    <message>
        <source>calibrate needs --printer-id ID (the printer&apos;s serial number or asset tag).</source>
        <translation>calibrate needs --printer-id ID (the printer&apos;s serial number or asset tag).</translation>
    </message>
    <message>
        <source>--printer-id must not be empty or blank or hold control characters.</source>
        <translation>--printer-id must not be empty or blank or hold control characters.</translation>
    </message>
    <message>
        <source>--operator must not be empty or blank or hold control characters (it defaults to the login name).</source>
        <translation>--operator must not be empty or blank or hold control characters (it defaults to the login name).</translation>
    </message>
    <message>
        <source>Unknown step &quot;%1&quot; in --steps (adjust, mark, no-paper, paper, check).</source>
        <translation>Unknown step &quot;%1&quot; in --steps (adjust, mark, no-paper, paper, check).</translation>
    </message>
    <message>
        <source>--yes runs only the steps that need no change of media (adjust, check); &quot;%1&quot; needs one.</source>
        <translation>--yes runs only the steps that need no change of media (adjust, check); &quot;%1&quot; needs one.</translation>
    </message>
    <message>
        <source>--%1 belongs to calibrate.</source>
        <translation>--%1 belongs to calibrate.</translation>
    </message>
    <message>
        <source>--%1 &quot;%2&quot; is not a number from 0.0 to 5.0.</source>
        <translation>--%1 &quot;%2&quot; is not a number from 0.0 to 5.0.</translation>
    </message>
    <message>
        <source>Put a black mark under the %1 sensor</source>
        <translation>Put a black mark under the %1 sensor</translation>
    </message>
    <message>
        <source>Take all media out from under the %1 sensor</source>
        <translation>Take all media out from under the %1 sensor</translation>
    </message>
    <message>
        <source>Put a label under the %1 sensor</source>
        <translation>Put a label under the %1 sensor</translation>
    </message>
    <message>
        <source>Load the label stock with a gap under the %1 sensor</source>
        <translation>Load the label stock with a gap under the %1 sensor</translation>
    </message>
    <message>
        <source>Put the paper back under the %1 sensor</source>
        <translation>Put the paper back under the %1 sensor</translation>
    </message>
    <message>
        <source>, then press Enter: </source>
        <translation>, then press Enter: </translation>
    </message>
    <message>
        <source>The %1 sensor has no standard (the profile &quot;%2&quot; none, %3 &quot;%4&quot;); give --%1-standard VOLTS.</source>
        <translation>The %1 sensor has no standard (the profile &quot;%2&quot; none, %3 &quot;%4&quot;); give --%1-standard VOLTS.</translation>
    </message>
    <message>
        <source>Standard input ended before the media was changed; the steps left were not taken (--yes on a fixture).</source>
        <translation>Standard input ended before the media was changed; the steps left were not taken (--yes on a fixture).</translation>
    </message>
    <message>
        <source>The verdict is fail: see the criteria of each sensor.</source>
        <translation>The verdict is fail: see the criteria of each sensor.</translation>
    </message>
    <message>
        <source>No command given (ports, status, adjust, read, check or calibrate).</source>
        <translation>No command given (ports, status, adjust, read, check or calibrate).</translation>
    </message>
    <message>
        <source>Unknown command &quot;%1&quot; (ports, status, adjust, read, check or calibrate).</source>
        <translation>Unknown command &quot;%1&quot; (ports, status, adjust, read, check or calibrate).</translation>
    </message>
    <message>
        <source>--profile belongs to adjust, check and calibrate.</source>
        <translation>--profile belongs to adjust, check and calibrate.</translation>
    </message>
    <message>
        <source>head switch</source>
        <translation>head switch</translation>
    </message>
    <message>
        <source>The standard %1 V puts the band below 0.1 V, which the sensor does not reach: give a standard of at least 0.1 V.</source>
        <translation>The standard %1 V puts the band below 0.1 V, which the sensor does not reach: give a standard of at least 0.1 V.</translation>
    </message>
    <message>
        <source>The printer&apos;s line went away during the reading.</source>
        <translation>The printer&apos;s line went away during the reading.</translation>
    </message>
    <message>
        <source>The printer&apos;s line went away during the paper check.</source>
        <translation>The printer&apos;s line went away during the paper check.</translation>
    </message>
    <message>
        <source>
JSON keys (--json), on every run, null where the work did not get that far:
  every command: command sensor ok exit_code port supply error
</source>
        <translation>
JSON keys (--json), on every run, null where the work did not get that far:
  every command: command sensor ok exit_code port supply error
</translation>
    </message>
    <message>
        <source>
The plant database (PostgreSQL; every station&apos;s records in one place):
  --plant-db CONNINFO       a libpq connection string, e.g. &quot;host=db.plant
                            dbname=tarvello user=station1 sslmode=verify-full&quot;; never
                            a password (refused): ~/.pgpass, PGPASSFILE, a service
                            file or a client certificate give it. connect_timeout
                            defaults to 5 s. With adjust, read, check and calibrate:
                            after the run&apos;s record is stored, what waits is sent and
                            the plant&apos;s profiles are fetched (they win over local
                            ones of the same name); what cannot be sent waits.
  records sync              sends every waiting record: sent, already there, still
                            waiting (exit 9 while some wait, with the reason)
  records init-plant        creates or upgrades the plant database&apos;s schema and its
                            roles (idempotent; run it as the database&apos;s owner)
  profiles publish NAME     puts the local profile NAME on the plant database (the
                            tarvello_admin role); raise its version to change it
  The roles, given to logins by the database&apos;s owner (psql):
    CREATE ROLE station_line1_01 LOGIN IN ROLE tarvello_station; -- adds records,
                                  reads profiles; cannot change, delete or read records
    CREATE ROLE quality_anna LOGIN IN ROLE tarvello_quality;  -- reads everything
    CREATE ROLE profiles_admin LOGIN IN ROLE tarvello_admin;  -- publishes profiles
    GRANT tarvello_station TO some_existing_login;
</source>
        <translation>
The plant database (PostgreSQL; every station&apos;s records in one place):
  --plant-db CONNINFO       a libpq connection string, e.g. &quot;host=db.plant
                            dbname=tarvello user=station1 sslmode=verify-full&quot;; never
                            a password (refused): ~/.pgpass, PGPASSFILE, a service
                            file or a client certificate give it. connect_timeout
                            defaults to 5 s. With adjust, read, check and calibrate:
                            after the run&apos;s record is stored, what waits is sent and
                            the plant&apos;s profiles are fetched (they win over local
                            ones of the same name); what cannot be sent waits.
  records sync              sends every waiting record: sent, already there, still
                            waiting (exit 9 while some wait, with the reason)
  records init-plant        creates or upgrades the plant database&apos;s schema and its
                            roles (idempotent; run it as the database&apos;s owner)
  profiles publish NAME     puts the local profile NAME on the plant database (the
                            tarvello_admin role); raise its version to change it
  The roles, given to logins by the database&apos;s owner (psql):
    CREATE ROLE station_line1_01 LOGIN IN ROLE tarvello_station; -- adds records,
                                  reads profiles; cannot change, delete or read records
    CREATE ROLE quality_anna LOGIN IN ROLE tarvello_quality;  -- reads everything
    CREATE ROLE profiles_admin LOGIN IN ROLE tarvello_admin;  -- publishes profiles
    GRANT tarvello_station TO some_existing_login;
</translation>
    </message>
    <message>
        <source>Usage: tarvello-cli [OPTIONS] COMMAND [ARGS]
Adjusts, reads and checks the media sensors of a label printer over RS-232, for
production lines and scripts. One process works on one port.

The printer:
  --port DEVICE             the serial device (e.g. /dev/ttyUSB0)
  --simulate                the built-in virtual printer instead
  --dirty PERCENT, --stock standard|faint-mark|clear   with --simulate: dirt on its
                            sensors (0..100), its media stock
  --baud 4800|9600|19200|38400|57600   (default 38400)
  --data-bits 8|7           (default 8)
  --stop-bits 1|2           (default 1)
  --parity none|odd|even    (default none)
  --handshake hardware|software   (default hardware, the window&apos;s first item)
  --supply 2.5|3.3|5.0      the sensor supply in volts (default: BaseVoltage/Voltage
                            of the parameter file, &quot;2.5&quot; or &quot;3.3&quot;, else 5.0)
Files and output:
  --ini PATH                the parameter file (default: parameterset.ini in the
                            working directory)
  --json                    one JSON object on standard output instead of text
  --verbose                 progress of an adjustment on standard error (shown
                            anyway when standard error is a terminal)
  --trace FILE              the line trace: every byte to and from the printer,
                            a line each, written as it happens
  --help, --version

Commands:
  ports                     the serial ports the system reports
  status                    open, one status poll, the three values
  adjust reflective|transmissive --standard VOLTS [--max-passes N (default 200)]
                            the automatic adjustment; saves the standard at its start
                            and the two levels on success
  read reflective mark|no-paper
  read transmissive no-paper|paper
                            a single reading at --level L (0..3) --intensity I
                            (0..255), by default the levels saved for that sensor;
                            saves the value and the two levels
  check reflective|transmissive
                            the paper check (saves nothing)
  --profile NAME            (adjust, check, calibrate) the media profile: its
                            criteria, and its standard and pass limit unless
                            --standard, --max-passes are given (calibrate: its steps)
                            (&quot;Standard&quot;: the standard RBase/TBase holds)
  profiles list | show NAME | export [NAME] FILE | import FILE [--replace] | delete NAME
                            the media profiles of this user (profiles.json in the
                            data folder the window shares)
  calibrate [reflective|transmissive|both] --printer-id ID [--operator NAME]
            [--reflective-standard VOLTS] [--transmissive-standard VOLTS]
            [--steps adjust,mark,no-paper,paper,check] [--yes]
                            the guided calibration: each sensor&apos;s steps in turn on
                            one opening, each saving as adjust and read save; asks
                            on the terminal before each change of media. The
                            standards default to the profile&apos;s, else RBase/TBase.
                            --yes (a fixture with the media in place): only the
                            steps that need no change, by default adjust and check
                            (--operator defaults to the login name)
  records list [--printer-id ID] [--since DATE] [--verdict V] [--limit N]
  records show ID | export --csv FILE | report ID --pdf FILE | overdue --days N
  records prune --sent --older-than DAYS | move-aside
                            the calibration records (records.sqlite in the data
                            folder the window shares, or --records PATH); adjust,
                            read and check store one unless --no-record

Exit codes: 0 done; 1 no result (no reading, a paper check that ended early, no
status values); 2 usage error; 3 the port could not be opened or the printer refused
the handshake; 4 the adjustment did not reach the band within --max-passes; 5 the line
failed during the work (write failed, port gone); 6 done, but the parameter file
could not be saved; 7 done, but the verdict is a fail; 8 done, but its record was
not stored; 9 (records sync) some records still wait for the plant database; 130
stopped by SIGINT or SIGTERM (port closed, nothing half-written).
Where several apply, the first of 130, 2, 3, 5, 4, 1, 7, 6, 8 is given.
adjust and check --json also give &quot;verdict&quot; (pass, marginal, fail), &quot;complete&quot; and
&quot;criteria&quot; (each with code, name, value, pass_limit, marginal_limit, outcome,
message).
</source>
        <translation>Usage: tarvello-cli [OPTIONS] COMMAND [ARGS]
Adjusts, reads and checks the media sensors of a label printer over RS-232, for
production lines and scripts. One process works on one port.

The printer:
  --port DEVICE             the serial device (e.g. /dev/ttyUSB0)
  --simulate                the built-in virtual printer instead
  --dirty PERCENT, --stock standard|faint-mark|clear   with --simulate: dirt on its
                            sensors (0..100), its media stock
  --baud 4800|9600|19200|38400|57600   (default 38400)
  --data-bits 8|7           (default 8)
  --stop-bits 1|2           (default 1)
  --parity none|odd|even    (default none)
  --handshake hardware|software   (default hardware, the window&apos;s first item)
  --supply 2.5|3.3|5.0      the sensor supply in volts (default: BaseVoltage/Voltage
                            of the parameter file, &quot;2.5&quot; or &quot;3.3&quot;, else 5.0)
Files and output:
  --ini PATH                the parameter file (default: parameterset.ini in the
                            working directory)
  --json                    one JSON object on standard output instead of text
  --verbose                 progress of an adjustment on standard error (shown
                            anyway when standard error is a terminal)
  --trace FILE              the line trace: every byte to and from the printer,
                            a line each, written as it happens
  --help, --version

Commands:
  ports                     the serial ports the system reports
  status                    open, one status poll, the three values
  adjust reflective|transmissive --standard VOLTS [--max-passes N (default 200)]
                            the automatic adjustment; saves the standard at its start
                            and the two levels on success
  read reflective mark|no-paper
  read transmissive no-paper|paper
                            a single reading at --level L (0..3) --intensity I
                            (0..255), by default the levels saved for that sensor;
                            saves the value and the two levels
  check reflective|transmissive
                            the paper check (saves nothing)
  --profile NAME            (adjust, check, calibrate) the media profile: its
                            criteria, and its standard and pass limit unless
                            --standard, --max-passes are given (calibrate: its steps)
                            (&quot;Standard&quot;: the standard RBase/TBase holds)
  profiles list | show NAME | export [NAME] FILE | import FILE [--replace] | delete NAME
                            the media profiles of this user (profiles.json in the
                            data folder the window shares)
  calibrate [reflective|transmissive|both] --printer-id ID [--operator NAME]
            [--reflective-standard VOLTS] [--transmissive-standard VOLTS]
            [--steps adjust,mark,no-paper,paper,check] [--yes]
                            the guided calibration: each sensor&apos;s steps in turn on
                            one opening, each saving as adjust and read save; asks
                            on the terminal before each change of media. The
                            standards default to the profile&apos;s, else RBase/TBase.
                            --yes (a fixture with the media in place): only the
                            steps that need no change, by default adjust and check
                            (--operator defaults to the login name)
  records list [--printer-id ID] [--since DATE] [--verdict V] [--limit N]
  records show ID | export --csv FILE | report ID --pdf FILE | overdue --days N
  records prune --sent --older-than DAYS | move-aside
                            the calibration records (records.sqlite in the data
                            folder the window shares, or --records PATH); adjust,
                            read and check store one unless --no-record

Exit codes: 0 done; 1 no result (no reading, a paper check that ended early, no
status values); 2 usage error; 3 the port could not be opened or the printer refused
the handshake; 4 the adjustment did not reach the band within --max-passes; 5 the line
failed during the work (write failed, port gone); 6 done, but the parameter file
could not be saved; 7 done, but the verdict is a fail; 8 done, but its record was
not stored; 9 (records sync) some records still wait for the plant database; 130
stopped by SIGINT or SIGTERM (port closed, nothing half-written).
Where several apply, the first of 130, 2, 3, 5, 4, 1, 7, 6, 8 is given.
adjust and check --json also give &quot;verdict&quot; (pass, marginal, fail), &quot;complete&quot; and
&quot;criteria&quot; (each with code, name, value, pass_limit, marginal_limit, outcome,
message).
</translation>
    </message>
    <message>
        <source>profiles takes list, show NAME, export [NAME] FILE, import FILE [--replace], delete NAME or publish NAME.</source>
        <translation>profiles takes list, show NAME, export [NAME] FILE, import FILE [--replace], delete NAME or publish NAME.</translation>
    </message>
</context>
</TS>
