-- The demo company database of the host program (kulr31-host).
-- UTF-8; the host stores texts as UTF-8 and hands them out as code page 936
-- bytes, so every text here must have a GBK form (checked when seeding).
-- Table and column names follow the company's ERP naming (table code,
-- then the column number: MA001, MA002, ...).

-- The company this database belongs to: one row.
CREATE TABLE COMPANY (
  ID     TEXT NOT NULL PRIMARY KEY,  -- company id the plug-in passes
  DBNAME TEXT NOT NULL,              -- database name the plug-in passes
  NAME   TEXT NOT NULL
);
INSERT INTO COMPANY VALUES ('DEMO', 'DEMO', '示范精密工业股份有限公司');

-- Message table: type letter, six-digit number, text with %s placeholders.
CREATE TABLE MESSAGES (
  MSGTYPE TEXT NOT NULL,
  MSGID   TEXT NOT NULL,
  TEXT    TEXT NOT NULL,
  PRIMARY KEY (MSGTYPE, MSGID)
);
INSERT INTO MESSAGES VALUES
  -- a failed table check; the argument is the text of I 000008
  ('E', '000001', '%s 错误，请重新输入!'),
  -- a bad date or time; arguments: texts of I 000009 and I 000010, or none
  ('E', '000005', '日期或时间格式不正确! %s %s'),
  ('E', '000006', '无法连接应用服务器，请检查服务器设定!'),
  -- the server's error text
  ('E', '000013', '报表服务器处理失败: %s'),
  ('E', '000015', '找不到注册表设定，请重新安装客户端!'),
  ('E', '000016', '未设定应用服务器地址，请检查 HelmarC.ini!'),
  -- storing a condition failed; the argument is the text of I 000011
  ('E', '000030', '条件资料存储失败! %s'),
  ('E', '000036', '程序代号与报表窗体不符，无法开启!'),
  ('E', '000037', '必填栏位不可空白，请输入!'),
  ('E', '000038', '宿主程序传入的参数不足，窗体将关闭!'),
  -- arguments: caption of the period range, caption of the end date
  ('E', '100082', '%s: 结束日期不可早于%s!'),
  -- one (empty) argument
  ('I', '000003', '没有可用的报表条件! %s'),
  -- the job number
  ('I', '000004', '报表作业已送出，作业编号: %s'),
  ('I', '000005', '请至少选择一种输出方式!'),
  ('I', '000008', '输入的资料'),
  ('I', '000009', '生成日期'),
  ('I', '000010', '生成时间'),
  ('I', '000011', '打印日期'),
  -- arguments: section, expected count, upper bound found
  ('W', '000002', '%s 的项数不符: 应为 %s 项，实际为 %s 项!'),
  -- arguments: section, count, index of the first missing item
  ('W', '000003', '%s 共 %s 项，第 %s 项未设定!'),
  -- the name of what was not found (I 000008, R 100235, R 100236)
  ('W', '000004', '%s 不存在，请重新输入!'),
  ('W', '000014', '执行要求中的条件元件不存在，未执行!'),
  ('R', '100235', '注脚编号'),
  ('R', '100236', '签核编号');

-- Company settings (name, description, value); GetSysInfo hands out every row.
CREATE TABLE ORLANINTMA (
  MA001 TEXT NOT NULL PRIMARY KEY COLLATE NOCASE,
  MA002 TEXT NOT NULL DEFAULT '',
  MA003 TEXT NOT NULL DEFAULT ''
);
INSERT INTO ORLANINTMA VALUES
  ('Sys001', '日期格式 (1 年月日 2 月日年 3 日月年 4/5 民国年)', '1'),
  ('Sys002', '日期分隔符号', '/'),
  ('ORLAN002', '公司简称', '示范精密'),
  ('SYS007', '商品分类方式一', '品号类别'),
  ('SYS008', '商品分类方式二', '品号系列'),
  ('SYS009', '商品分类方式三', '品号材质'),
  -- left empty on purpose: the plug-in then shows its built-in name
  ('SYS010', '商品分类方式四', ''),
  -- "2" would hide the Republic-era date styles
  ('SYS026', '日期类型选项', '1'),
  -- "N" hides the web report button
  ('SYS181', '网页报表', 'Y'),
  ('StartupPortal', '启用门户', 'N'),
  ('Portal WS', '门户网站服务地址', 'http://127.0.0.1:8088/portal/services/PortalService');

-- Program master: code, name, module, kind, log flag, version, date,
-- English name, direct query disabled ("Y").
CREATE TABLE ADMMB (
  MB001 TEXT NOT NULL PRIMARY KEY,
  MB002 TEXT NOT NULL,
  MB003 TEXT NOT NULL DEFAULT '',
  MB004 TEXT NOT NULL DEFAULT '',
  MB005 TEXT NOT NULL DEFAULT 'N',
  MB006 TEXT NOT NULL DEFAULT '',
  MB007 TEXT NOT NULL DEFAULT '',
  MB008 TEXT NOT NULL DEFAULT '',
  MB009 TEXT NOT NULL DEFAULT 'N'
);
INSERT INTO ADMMB VALUES
  ('KULR31', '委外验退明细表', 'KUL', 'R', 'Y', '3.1', '20240101', 'Subcontract Return Detail Report', 'N'),
  ('KULR07', '委外进货统计表', 'KUL', 'R', 'N', '3.1', '20240101', 'Subcontract Receipt Statistics', 'Y'),
  ('PURR01', '采购单明细表', 'PUR', 'R', 'N', '3.1', '20240101', 'Purchase Order Detail Report', 'N');

-- Saved condition scheme names, as the save dialog checks them.
CREATE TABLE GENES (
  ES001 TEXT NOT NULL,  -- scheme name
  ES002 TEXT NOT NULL,  -- user id
  ES003 TEXT NOT NULL,  -- program code
  PRIMARY KEY (ES001, ES002, ES003)
);
INSERT INTO GENES VALUES
  ('本月验退', 'DS', 'KULR31'),
  ('全部供应商', 'DS', 'KULR31');

-- Web report sites: key, address, description.
CREATE TABLE CMSMA (
  MA001 TEXT NOT NULL PRIMARY KEY,
  MA002 TEXT NOT NULL,
  MA003 TEXT NOT NULL DEFAULT ''
);
INSERT INTO CMSMA VALUES ('', 'http://127.0.0.1:8080/webreport/', '网页报表站台');

-- Footer and sign-off notes: kind ("1" footer, "2" sign-off), code, name, three lines.
CREATE TABLE CMSMS (
  MS001 TEXT NOT NULL,
  MS002 TEXT NOT NULL,
  MS003 TEXT NOT NULL DEFAULT '',
  MS004 TEXT NOT NULL DEFAULT '',
  MS005 TEXT NOT NULL DEFAULT '',
  MS006 TEXT NOT NULL DEFAULT '',
  PRIMARY KEY (MS001, MS002)
);
INSERT INTO CMSMS VALUES
  ('1', '01', '标准注脚', '本报表仅供内部使用', '如有疑问请洽资材部', '分机 2301'),
  ('1', '02', '对外注脚', '本资料为机密文件', '未经许可不得复制', ''),
  ('2', '01', '三级签核', '核准:', '审核:', '制表:'),
  ('2', '02', '二级签核', '主管:', '经办:', '');

-- Per program: the footer and sign-off used by default and whether the user may change them.
CREATE TABLE CMSMT (
  MT001 TEXT NOT NULL PRIMARY KEY,  -- program code
  MT002 TEXT NOT NULL DEFAULT '',   -- footer code (CMSMS kind 1)
  MT003 TEXT NOT NULL DEFAULT 'N',  -- footer may be changed
  MT004 TEXT NOT NULL DEFAULT '',   -- sign-off code (CMSMS kind 2)
  MT005 TEXT NOT NULL DEFAULT 'N'   -- sign-off may be changed
);
INSERT INTO CMSMT VALUES ('KULR31', '01', 'Y', '01', 'Y');

-- Suppliers: code, short name, full name, contact, telephone, kind.
CREATE TABLE PURMA (
  MA001 TEXT NOT NULL PRIMARY KEY,
  MA002 TEXT NOT NULL,
  MA003 TEXT NOT NULL DEFAULT '',
  MA004 TEXT NOT NULL DEFAULT '',
  MA005 TEXT NOT NULL DEFAULT '',
  MA006 TEXT NOT NULL DEFAULT ''
);
INSERT INTO PURMA VALUES
  ('S001', '华东电子', '华东电子材料有限公司', '王建国', '021-5566-1001', '1'),
  ('S002', '宏达五金', '宏达五金制品厂', '李明', '0769-8812-2002', '1'),
  ('S003', '永丰塑胶', '永丰塑胶股份有限公司', '陈美玲', '0512-6655-3003', '1'),
  ('S004', '精诚模具', '精诚模具加工厂', '张伟', '0755-2233-4004', '2'),
  ('S005', '立新电镀', '立新电镀有限公司', '刘洋', '0571-8899-5005', '2'),
  ('S006', '顺发包装', '顺发包装材料公司', '赵丽', '020-3344-6006', '1'),
  ('S007', '金源线材', '金源线材有限公司', '周强', '0574-7788-7007', '1'),
  ('S008', '和信印刷', '和信印刷厂', '吴芳', '0510-8123-8008', '2'),
  ('S009', '东明机械', '东明机械加工有限公司', '孙杰', '0531-8866-9009', '2'),
  ('S010', '瑞丰化工', '瑞丰化工原料公司', '郑红', '0757-2299-1010', '1'),
  ('S011', '嘉禾纸业', '嘉禾纸业有限公司', '冯刚', '0571-8655-1111', '1'),
  ('S012', '新宇喷涂', '新宇表面处理厂', '何静', '0512-6789-1212', '2');

-- Users: id, name, mobile, e-mail, department.
CREATE TABLE ORLANMA (
  MA001 TEXT NOT NULL PRIMARY KEY,
  MA002 TEXT NOT NULL,
  MA003 TEXT NOT NULL DEFAULT '',
  MA004 TEXT NOT NULL DEFAULT '',
  MA005 TEXT NOT NULL DEFAULT ''
);
INSERT INTO ORLANMA VALUES
  ('DS', '系统管理员', '13800000001', 'ds@demo.example', '资讯部'),
  ('A001', '林志明', '13800000002', 'lin@demo.example', '资材部'),
  ('A002', '黄淑芬', '13800000003', 'huang@demo.example', '采购部'),
  ('A003', '许文华', '', 'xu@demo.example', '品管部');

-- Phrases per user, in the order the phrase list shows them.
CREATE TABLE PHRASES (
  USERID TEXT NOT NULL,
  SEQ    INTEGER NOT NULL,
  TEXT   TEXT NOT NULL,
  PRIMARY KEY (USERID, SEQ)
);
INSERT INTO PHRASES VALUES
  ('DS', 1, '请于本周五前回复'),
  ('DS', 2, '急件，请优先处理'),
  ('A001', 1, '月底盘点前完成');

-- Help topics: module (first three letters of the program code), topic, title.
CREATE TABLE HELPTOPICS (
  MODULE TEXT NOT NULL,
  TOPIC  TEXT NOT NULL,
  TITLE  TEXT NOT NULL,
  PRIMARY KEY (MODULE, TOPIC)
);
INSERT INTO HELPTOPICS VALUES
  ('KUL', '12310000', '委外验退明细表'),
  ('KUL', '12070000', '委外进货统计表');

-- File descriptions for the updater: lower-case file name, version stamp, source path.
CREATE TABLE FILES (
  NAME   TEXT NOT NULL PRIMARY KEY,
  MODIFY TEXT NOT NULL,
  PATH   TEXT NOT NULL
);
INSERT INTO FILES VALUES
  ('kulr31s.dll', '2024-01-15 10:30:00', '\\demo-server\workdll\KUL\KULR31S.DLL'),
  ('kulr07s.dll', '2024-01-15 10:30:00', '\\demo-server\workdll\KUL\KULR07S.DLL');
