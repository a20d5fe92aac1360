#include "shell/qe_default_menu.h"

#include <array>

#include "platform/vb/strings.h"

namespace qe {
namespace {

constexpr std::array<const char16_t*, 13> kGroupNames = {
    u"行政管理", u"教学管理", u"学生管理", u"教师管理", u"交流中心", u"资源中心", u"休闲中心",
    u"办公信箱", u"公共信息", u"个人助理", u"超级管理", u"数据维护", u"系统管理",
};

// Each group's items as "$" + name + "|" + address, one after another.
constexpr std::array<const char16_t*, 13> kGroupItems = {
    u"$内部通知|tongzhi/tongzhi.asp$处室动态|xxdsj/xxdsj.asp$学习材料管理|learn/learn_manager.asp"
    u"$流转收文管理|getfile/getfile_manager.asp$流转发文管理|putfile/putfile_manager.asp"
    u"$上报材料上传|baobiao/file_add.asp$上报材料收取|baobiao/file_shouqu.asp",

    u"$作息时间表|studytime/study_time_view.asp$课程表|studyteach/study_teach_view.asp"
    u"$课程表管理|studyteach/study_teach_manager.asp$功课临时调动|workchange/workchange_view.asp"
    u"$课表管理|kwgl/index.asp$接口参数设置|kwgl/setup.asp$教学计划|teachplan/teachplan_view.asp"
    u"$教学行事历|teachplan_time/teachplan_time_view.asp",

    u"$学生浏览|xsgl/xsxx.asp$导生管理|xsgl/dsgl.asp$接口参数设置|xsgl/setup.asp",

    u"$教师浏览|admin/user_view.asp$教师业绩管理|teacher_honor/teacher_honor_list.asp"
    u"$教师档案管理|teacher_honor/index.asp$接口参数设置|teacher_honor/setup.asp",

    u"$信息中心|fabu/fabu_manager.asp$讨论中心|bbs/bbs.asp$会议中心|meeting/meeting.asp$投票中心|vote/vote.asp"
    u"$调查中心|dctj/index.asp$软件交流|soft/soft_view.asp$聊天茶室|chatroom/chatroom.asp",

    u"$我的资源库|resource/resource_manager.asp?showtype=self$资源收藏夹|resource/resource_collection.asp"
    u"$资源库统计|resource/resource_manager_total.asp",

    u"$网络相册|album/album_class_list.asp?showtype=self$博客家园|blog/index.asp$视频点播|movie/movie_manager.asp"
    u"$音乐天地|music/music_manager.asp$动漫世界|flash/flash_manager.asp",

    u"$公共信箱|mail/mail_box.asp?subject=common$写邮件|mail/mail_write.asp"
    u"$收件箱|mail/mail_box.asp?subject=recived$发件箱|mail/mail_box.asp?subject=sendout"
    u"$回收站|mail/mail_box.asp?subject=del",

    u"$常用电话|tel/tel_view.asp$常用网址|netlink/netlink_view.asp$邮政区号查询|youbian/index.asp"
    u"$手机地址及IP|shouji/index.asp$万年历|rl/cal.asp",

    u"$个人通讯录|txl/txl_view.asp$个人收藏夹|url/url_view.asp$个人备忘录|notebook/notebook.asp"
    u"$网络硬盘|netdrivers/netdrivers.asp$日程安排|calendar/calendar_view.asp$个人信息|archives/archives_view.asp"
    u"$个性设置|archives/archives_set.asp$修改密码|archives/archives_passwd.asp",

    u"$用户管理|admin/admin_user_view.asp$部门管理|admin/admin_part.asp$权限分配|admin/admin_quanxian.asp"
    u"$系统参数设置|admin/admin_system_set.asp",

    u"$数据字典|datemanager/date_sjzd_view.asp$数据备份|datemanager/data_manager.asp?p_FormType=1"
    u"$数据恢复|datemanager/data_manager.asp?p_FormType=2$数据压缩|datemanager/data_manager.asp?p_FormType=4"
    u"$数据初始化|datemanager/data_manager.asp?p_FormType=8$数据维护|datemanager/data_manager.asp?p_FormType=9",

    u"$栏目排序|system/admin_class_sort.asp$栏目开关|system/admin_class_enabled.asp",
};

std::vector<DefaultMenuGroup> SplitMenu() {
  std::vector<DefaultMenuGroup> groups;
  for (size_t i = 0; i < kGroupNames.size(); ++i) {
    DefaultMenuGroup group{kGroupNames[i], {}};
    std::vector<vb::String> items = vb::SplitParts(kGroupItems[i], u"$");
    for (size_t j = 1; j < items.size(); ++j) {  // the text begins with "$"
      std::vector<vb::String> parts = vb::SplitParts(items[j], u"|");
      group.items.push_back({parts.at(0), parts.at(1)});
    }
    groups.push_back(std::move(group));
  }
  return groups;
}

}  // namespace

const std::vector<DefaultMenuGroup>& DefaultMenu() {
  static const std::vector<DefaultMenuGroup> menu = SplitMenu();
  return menu;
}

}  // namespace qe
